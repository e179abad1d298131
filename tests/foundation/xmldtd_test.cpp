#include <gtest/gtest.h>

#include "tests/foundation/xml_test_util.h"

namespace {
struct Parsed {
  bool ok = false;
  std::string message;
  std::unique_ptr<TXMLCompound> root = std::make_unique<TXMLCompound>("Root");
};

Parsed Parse(const TDTDElement* top, const std::string& text) {
  Parsed parsed;
  std::unique_ptr<TXMLToken> tokens = TokensOf(text);
  if (tokens != nullptr) parsed.ok = MatchXMLDocument(*top, parsed.root.get(), tokens.get(), parsed.message);
  return parsed;
}

// A little grammar: R holds an optional leaf A, then any number of compounds N (each a leaf
// P and an optional empty Tie), then at least one leaf E. L0 holds any number of A, L1 at least
// one; Lx repeats what may match nothing (the loop must still end).
struct Grammar {
  TDTDGrammar g;
  const TDTDAttribute* a = g.Make<TDTDAttribute>("A");
  const TDTDAttribute* e = g.Make<TDTDAttribute>("E");
  const TDTDAttribute* p = g.Make<TDTDAttribute>("P");
  const TDTDCompound* tie = g.Make<TDTDCompound>("Tie", g.Make<TDTDEmpty>());
  const TDTDCompound* n = g.Make<TDTDCompound>("N", g.Make<TDTDConcat>(p, g.Make<TDTDOptional>(tie)));
  const TDTDCompound* r = g.Make<TDTDCompound>(
      "R", g.Make<TDTDConcat>(g.Make<TDTDOptional>(a),
                              g.Make<TDTDConcat>(g.Make<TDTDRepeatMin0>(n), g.Make<TDTDRepeatMin1>(e))));
  const TDTDCompound* l0 = g.Make<TDTDCompound>("L", g.Make<TDTDRepeatMin0>(a));
  const TDTDCompound* l1 = g.Make<TDTDCompound>("L", g.Make<TDTDRepeatMin1>(a));
  const TDTDCompound* lx = g.Make<TDTDCompound>("L", g.Make<TDTDConcat>(g.Make<TDTDRepeatMin0>(g.Make<TDTDOptional>(a)),
                                                                          g.Make<TDTDRepeatMin1>(g.Make<TDTDRepeatMin0>(e))));
};
}  // namespace

TEST(XmlGrammar, ValidDocumentsBuildTheTreeWithPositions) {
  Grammar gr;
  struct Case { const TDTDElement* top; const char* text; const char* shape; };
  for (const Case& c : {Case{gr.r, "<R><E>1</E></R>", "Root(R(E=1))"},
                        Case{gr.r, "<R>\n  <A>x y</A>\n  <N><P>3</P><Tie/></N>\n  <N><P>4</P></N>\n  <E>1</E><E>2</E>\n</R>\n",
                             "Root(R(A=x y,N(P=3,Tie()),N(P=4),E=1,E=2))"},
                        Case{gr.r, "<R><N><P>3</P><Tie></Tie></N><E></E></R>", "Root(R(N(P=3,Tie()),E=))"},
                        Case{gr.l0, "<L/>", "Root(L())"},
                        Case{gr.l0, "< L / >", "Root(L())"}, Case{gr.lx, "<L></L>", "Root(L())"},
                        Case{gr.lx, "<L><A>1</A><E>2</E></L>", "Root(L(A=1,E=2))"}}) {
    Parsed parsed = Parse(c.top, c.text);
    EXPECT_TRUE(parsed.ok) << parsed.message;
    EXPECT_EQ(Shape(parsed.root.get()), c.shape) << c.text;
  }
  Parsed parsed = Parse(gr.r, "<R>\n  <A>x</A>\n  <N><P>3</P></N><E>1</E></R>");
  const TXMLItem* r = parsed.root->GetFirstChild();
  const TXMLItem* n = r->GetFirstChild()->GetNext();
  using Place = std::pair<int32_t, int32_t>;
  EXPECT_EQ((std::vector<Place>{{r->GetLine(), r->GetColumn()}, {n->GetLine(), n->GetColumn()},
                                 {n->GetFirstChild()->GetLine(), n->GetFirstChild()->GetColumn()}}),
            (std::vector<Place>{{3, 3}, {5, 5}, {5, 7}}));
}

TEST(XmlGrammar, ChoiceBacktracksAndRemovesWhatTheFailedBranchAdded) {
  Grammar gr;
  const TDTDItem* choice = gr.g.Make<TDTDChoice>(gr.g.Make<TDTDConcat>(gr.a, gr.p), gr.g.Make<TDTDConcat>(gr.a, gr.e));
  std::unique_ptr<TXMLToken> tokens = TokensOf("<A>1</A><E>2</E>");
  std::string message;
  bool error = false;
  // Without children before, the failed branch's are all removed; with some, only its own.
  TXMLCompound parent("P"), holder("H");
  holder.Add(std::make_unique<TXMLAttribute>("Z", "0"));
  for (TXMLCompound* into : {&parent, &holder}) {
    const TXMLToken* position = tokens.get();
    EXPECT_TRUE(choice->Match(into, position, message, error));
    EXPECT_EQ(position->GetTokenKind(), xmlTokenEOF);
  }
  EXPECT_EQ(Shape(&parent), "P(A=1,E=2)");
  EXPECT_EQ(Shape(&holder), "H(Z=0,A=1,E=2)");

  // Text where an element should begin commits: the second branch is not tried.
  std::unique_ptr<TXMLToken> text = TokensOf("oops<A>1</A>");
  const TXMLToken* position = text.get();
  EXPECT_FALSE(gr.g.Make<TDTDChoice>(gr.p, gr.a)->Match(&parent, position, message, error));
  EXPECT_TRUE(error);
  EXPECT_EQ(message, "unexpected text \"oops\", expect begin of element \"P\". at line 3, column 5.");
}

TEST(XmlGrammar, InvalidDocumentsFailWithAMessageNamingWhatWasFoundAndWhere) {
  Grammar gr;
  struct Case { const TDTDElement* top; const char* text; const char* message; };
  for (const Case& c : {
           Case{gr.l1, "<L/>", "element \"L\" should not be empty, at line 3, column 4."},
           Case{gr.l1, "<L></L>", "unexpected end of element \"L\", expect begin of element \"A\". at line 3, column 6."},
           Case{gr.l1, "<L><A/></L>", "unexpected empty element \"A\", expect begin of element \"A\". at line 3, column 6."},
           Case{gr.l1, "<L><A><B>", "unexpected begin of element \"B\", expect text, at line 3, column 5."},
           Case{gr.l1, "<L><A>", "unexpected end-of-file, expect text, at line 3, column 5."},
           Case{gr.r, "<R><E>1</B></R>", "end of element \"B\" does not match begin of element \"E\", at line 3, column 9."},
           Case{gr.r, "<R><E>1<B>", "unexpected begin of element \"B\", expect end of element \"E\", at line 3, column 8."},
           Case{gr.r, "<R><E>1</E>2</R>", "unexpected text \"2\", expect begin of element \"E\". at line 3, column 10."},
           Case{gr.r, "<R><E>1</E><Tie/>",
                "unexpected empty element \"Tie\", expect end of element \"R\", at line 3, column 14."},
           Case{gr.r, "<R><E>1</E>", "unexpected end-of-file, expect begin of element \"E\". at line 3, column 8."},
           Case{gr.r, "<X/>", "unexpected empty element \"X\", expect begin of element \"R\", at line 3, column 4."},
           Case{gr.r, "text", "unexpected end-of-file  found in line 3, column 4."},
           Case{gr.r, "<R><N><P>1</P></R>",
                "end of element \"R\" does not match begin of element \"N\", at line 3, column 14."},
       }) {
    Parsed parsed = Parse(c.top, c.text);
    EXPECT_FALSE(parsed.ok) << c.text;
    EXPECT_EQ(parsed.message, c.message) << c.text;
  }
}

TEST(XmlGrammar, TheWriterWritesTheExactLayoutAndItReadsBackAsTheSameTreeAlsoWithCrlf) {
  Grammar gr;
  TXMLCompound root("R");
  root.Add(std::make_unique<TXMLAttribute>("A", " a < b > c & d\t&lt; %d%s 50% "));
  auto note = std::make_unique<TXMLCompound>("N");
  note->Add(std::make_unique<TXMLAttribute>("P", " \t "));
  note->Add(std::make_unique<TXMLCompound>("Tie"));
  root.Add(std::move(note));
  root.Add(std::make_unique<TXMLAttribute>("E", ""));
  root.Add(std::make_unique<TXMLAttribute>("E", "\xe9l\xe8ve"));
  ScratchDir dir;
  std::string error;
  ASSERT_TRUE(root.SaveToFile(dir.File("s.xml"), error)) << error;
  const std::string written = ReadWholeFile(dir.File("s.xml"));
  EXPECT_EQ(written,
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
            "<!DOCTYPE R SYSTEM \"R.dtd\">\n"
            "\n"
            "<R>\n"
            "  <A>a &lt; b &gt; c &amp; d &amp;lt; %d%s 50%</A>\n"
            "  <N>\n"
            "    <P></P>\n"
            "    <Tie />\n"
            "  </N>\n"
            "  <E></E>\n"
            "  <E>\xe9l\xe8ve</E>\n"
            "</R>\n");
  std::string crlf;
  for (char c : written) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& text : {written, crlf}) {
    TXMLCompound read("Root");
    std::string message;
    std::unique_ptr<TXMLToken> tokens = TokensOf(text.substr(text.find('\n', text.find('\n') + 1) + 1));
    ASSERT_NE(tokens, nullptr);
    EXPECT_TRUE(MatchXMLDocument(*gr.r, &read, tokens.get(), message)) << message;
    EXPECT_EQ(Shape(&read), "Root(R(A=a < b > c & d &lt; %d%s 50%,N(P=,Tie()),E=,E=\xe9l\xe8ve))") << (text == crlf);
  }
}

// The long document's token list is also freed without recursion.
TEST(XmlGrammar, LongDocumentsMatch) {
  Grammar gr;
  std::string text = "<R>\n";
  for (int i = 0; i < 100000; ++i) text += "  <N><P>1</P><Tie/></N>\n";
  Parsed parsed = Parse(gr.r, text + "  <E>1</E>\n</R>\n");
  ASSERT_TRUE(parsed.ok) << parsed.message;
  int count = 0;
  for (const TXMLItem* c = parsed.root->GetFirstChild()->GetFirstChild(); c != nullptr; c = c->GetNext()) ++count;
  EXPECT_EQ(count, 100001);
}
