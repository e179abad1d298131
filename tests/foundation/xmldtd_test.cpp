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

// The tree as text: leaves as name=value, compounds as name(children).
std::string Shape(const TXMLItem* item) {
  if (item->GetKind() == xmlItemAttribute) return item->GetElement() + "=" + item->GetValue();
  std::string out = item->GetElement() + "(";
  for (const TXMLItem* c = item->GetFirstChild(); c != nullptr; c = c->GetNext())
    out += Shape(c) + (c->GetNext() != nullptr ? "," : "");
  return out + ")";
}

// A little grammar: R holds an optional leaf A, then any number of compounds N (each a leaf
// P and an optional empty Tie), then at least one leaf E.
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
};
}  // namespace

TEST(XmlGrammar, NullableFollowsTheContentModel) {
  TDTDGrammar g;
  const TDTDItem* empty = g.Make<TDTDEmpty>();
  const TDTDItem* leaf = g.Make<TDTDAttribute>("A");
  EXPECT_FALSE(g.Make<TDTDCompound>("C", empty)->IsNullable());
  EXPECT_FALSE(g.Make<TDTDConcat>(empty, leaf)->IsNullable());
  EXPECT_TRUE(g.Make<TDTDConcat>(empty, empty)->IsNullable());
  EXPECT_TRUE(g.Make<TDTDChoice>(leaf, empty)->IsNullable());
  EXPECT_FALSE(g.Make<TDTDChoice>(leaf, leaf)->IsNullable());
  EXPECT_FALSE(g.Make<TDTDRepeatMin1>(leaf)->IsNullable());
  EXPECT_TRUE(g.Make<TDTDRepeatMin1>(g.Make<TDTDOptional>(leaf))->IsNullable());
}

TEST(XmlGrammar, ValidDocumentsBuildTheTreeWithPositions) {
  Grammar gr;
  struct Case { const char* text; const char* shape; };
  for (const Case& c : {Case{"<R><E>1</E></R>", "Root(R(E=1))"},
                        Case{"<R>\n  <A>x y</A>\n  <N><P>3</P><Tie/></N>\n  <N><P>4</P></N>\n  <E>1</E><E>2</E>\n</R>\n",
                             "Root(R(A=x y,N(P=3,Tie()),N(P=4),E=1,E=2))"},
                        Case{"<R><N><P>3</P><Tie></Tie></N><E></E></R>", "Root(R(N(P=3,Tie()),E=))"}}) {
    Parsed parsed = Parse(gr.r, c.text);
    EXPECT_TRUE(parsed.ok) << parsed.message;
    EXPECT_EQ(Shape(parsed.root.get()), c.shape);
  }
  Parsed parsed = Parse(gr.r, "<R>\n  <A>x</A>\n  <N><P>3</P></N><E>1</E></R>");
  const TXMLItem* r = parsed.root->GetFirstChild();
  const TXMLItem* a = r->GetFirstChild();
  const TXMLItem* n = a->GetNext();
  EXPECT_EQ(r->GetLine(), 3);
  EXPECT_EQ(r->GetColumn(), 3);
  EXPECT_EQ(a->GetLine(), 4);
  EXPECT_EQ(a->GetColumn(), 5);
  EXPECT_EQ(n->GetLine(), 5);
  EXPECT_EQ(n->GetColumn(), 5);
  EXPECT_EQ(n->GetFirstChild()->GetColumn(), 7);
}

TEST(XmlGrammar, ChoiceBacktracksAndRemovesWhatTheFailedBranchAdded) {
  TDTDGrammar g;
  const TDTDAttribute* a = g.Make<TDTDAttribute>("A");
  const TDTDAttribute* b = g.Make<TDTDAttribute>("B");
  const TDTDAttribute* c = g.Make<TDTDAttribute>("C");
  const TDTDItem* choice = g.Make<TDTDChoice>(g.Make<TDTDConcat>(a, b), g.Make<TDTDConcat>(a, c));
  std::unique_ptr<TXMLToken> tokens = TokensOf("<A>1</A><C>2</C>");
  TXMLCompound parent("P");
  const TXMLToken* position = tokens.get();
  std::string message;
  bool error = false;
  EXPECT_TRUE(choice->Match(&parent, position, message, error));
  EXPECT_EQ(Shape(&parent), "P(A=1,C=2)");
  EXPECT_EQ(position->GetTokenKind(), xmlTokenEOF);

  // With children already there, only the failed branch's own are removed.
  TXMLCompound holder("H");
  holder.Add(std::make_unique<TXMLAttribute>("Z", "0"));
  position = tokens.get();
  EXPECT_TRUE(choice->Match(&holder, position, message, error));
  EXPECT_EQ(Shape(&holder), "H(Z=0,A=1,C=2)");

  // Text where an element should begin commits: the second branch is not tried.
  std::unique_ptr<TXMLToken> text = TokensOf("oops<A>1</A>");
  position = text.get();
  EXPECT_FALSE(g.Make<TDTDChoice>(b, a)->Match(&parent, position, message, error));
  EXPECT_TRUE(error);
  EXPECT_EQ(message, "unexpected text \"oops\", expect begin of element \"B\". at line 3, column 5.");
}

TEST(XmlGrammar, OptionalAndRepetitionsLeaveWhatFollows) {
  TDTDGrammar g;
  const TDTDAttribute* a = g.Make<TDTDAttribute>("A");
  std::unique_ptr<TXMLToken> tokens = TokensOf("<B>1</B>");
  std::string message;
  bool error = false;
  for (const TDTDItem* item : {static_cast<const TDTDItem*>(g.Make<TDTDOptional>(a)),
                               static_cast<const TDTDItem*>(g.Make<TDTDRepeatMin0>(a)),
                               static_cast<const TDTDItem*>(g.Make<TDTDRepeatMin0>(g.Make<TDTDOptional>(a))),
                               static_cast<const TDTDItem*>(g.Make<TDTDRepeatMin1>(g.Make<TDTDRepeatMin0>(a)))}) {
    TXMLCompound parent("P");
    const TXMLToken* position = tokens.get();
    EXPECT_TRUE(item->Match(&parent, position, message, error));
    EXPECT_EQ(position, tokens.get());
    EXPECT_EQ(parent.GetFirstChild(), nullptr);
  }
  TXMLCompound parent("P");
  const TXMLToken* position = tokens.get();
  EXPECT_FALSE(g.Make<TDTDRepeatMin1>(a)->Match(&parent, position, message, error));
  EXPECT_FALSE(error);
  EXPECT_EQ(message, "unexpected begin of element \"B\", expect begin of element \"A\". at line 3, column 3.");
}

TEST(XmlGrammar, EmptyElementsAgainstNullableAndNonNullableContent) {
  TDTDGrammar g;
  const TDTDAttribute* a = g.Make<TDTDAttribute>("A");
  const TDTDCompound* many = g.Make<TDTDCompound>("L", g.Make<TDTDRepeatMin0>(a));
  const TDTDCompound* some = g.Make<TDTDCompound>("L", g.Make<TDTDRepeatMin1>(a));
  for (const char* text : {"<L/>", "<L></L>", "< L / >"}) {
    Parsed parsed = Parse(many, text);
    EXPECT_TRUE(parsed.ok) << text;
    EXPECT_EQ(Shape(parsed.root.get()), "Root(L())") << text;
  }
  struct Case { const char* text; const char* message; };
  for (const Case& c : {
           Case{"<L/>", "element \"L\" should not be empty, at line 3, column 4."},
           Case{"<L></L>", "unexpected end of element \"L\", expect begin of element \"A\". at line 3, column 6."},
           Case{"<L><A/></L>", "unexpected empty element \"A\", expect begin of element \"A\". at line 3, column 6."},
           Case{"<L><A><B>", "unexpected begin of element \"B\", expect text, at line 3, column 5."},
           Case{"<L><A></L>", "unexpected end of element \"L\", expect text, at line 3, column 5."},
           Case{"<L><A>", "unexpected end-of-file, expect text, at line 3, column 5."},
           Case{"<L>", "unexpected end-of-file, expect begin of element \"A\". at line 3, column 2."},
       }) {
    Parsed parsed = Parse(some, c.text);
    EXPECT_FALSE(parsed.ok) << c.text;
    EXPECT_EQ(parsed.message, c.message) << c.text;
  }
}

TEST(XmlGrammar, WrongOrMissingEndTagsNameTheElementAndPosition) {
  Grammar gr;
  struct Case { const char* text; const char* message; };
  for (const Case& c : {
           Case{"<R><E>1</B></R>", "end of element \"B\" does not match begin of element \"E\", at line 3, column 9."},
           Case{"<R><E>1<B>", "unexpected begin of element \"B\", expect end of element \"E\", at line 3, column 8."},
           Case{"<R><E>1</E></X>", "end of element \"X\" does not match begin of element \"R\", at line 3, column 12."},
           Case{"<R><E>1</E>2</R>", "unexpected text \"2\", expect begin of element \"E\". at line 3, column 10."},
           Case{"<R><E>1</E><Tie/>", "unexpected empty element \"Tie\", expect end of element \"R\", at line 3, column 14."},
           Case{"<R><E>1</E>", "unexpected end-of-file, expect begin of element \"E\". at line 3, column 8."},
           Case{"<X/>", "unexpected empty element \"X\", expect begin of element \"R\", at line 3, column 4."},
           Case{"text", "unexpected end-of-file  found in line 3, column 4."},
           Case{"<R><N><P>1</P></R>", "end of element \"R\" does not match begin of element \"N\", at line 3, column 14."},
       }) {
    Parsed parsed = Parse(gr.r, c.text);
    EXPECT_FALSE(parsed.ok) << c.text;
    EXPECT_EQ(parsed.message, c.message) << c.text;
  }
}

TEST(XmlGrammar, WhatTheWriterWritesReadsBackAsTheSameTreeAlsoWithCrlf) {
  Grammar gr;
  TXMLCompound root("R");
  root.Add(std::make_unique<TXMLAttribute>("A", "a < b > c & d &lt; 50%"));
  auto note = std::make_unique<TXMLCompound>("N");
  note->Add(std::make_unique<TXMLAttribute>("P", "  "));
  note->Add(std::make_unique<TXMLCompound>("Tie"));
  root.Add(std::move(note));
  root.Add(std::make_unique<TXMLAttribute>("E", ""));
  root.Add(std::make_unique<TXMLAttribute>("E", "\xe9l\xe8ve"));
  ScratchDir dir;
  std::string error;
  ASSERT_TRUE(root.SaveToFile(dir.File("s.xml"), error)) << error;
  std::string crlf;
  for (char c : ReadWholeFile(dir.File("s.xml"))) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  WriteWholeFile(dir.File("crlf.xml"), crlf);

  std::vector<std::pair<int32_t, int32_t>> positions;
  for (const char* name : {"s.xml", "crlf.xml"}) {
    std::unique_ptr<TXMLToken> tokens = TokensOfFile(dir.File(name));
    ASSERT_NE(tokens, nullptr);
    TXMLCompound read("Root");
    std::string message;
    EXPECT_TRUE(MatchXMLDocument(*gr.r, &read, tokens.get(), message)) << message;
    EXPECT_EQ(Shape(&read), "Root(R(A=a < b > c & d &lt; 50%,N(P=,Tie()),E=,E=\xe9l\xe8ve))") << name;
    const TXMLItem* e = read.GetFirstChild()->GetFirstChild()->GetNext()->GetNext();
    positions.push_back({e->GetLine(), e->GetColumn()});
  }
  EXPECT_EQ(positions[0], (std::pair<int32_t, int32_t>{10, 5}));
  EXPECT_EQ(positions[1], positions[0]);
}

TEST(XmlGrammar, LongAndDeepDocumentsMatch) {
  Grammar gr;
  std::string text = "<R>\n";
  for (int i = 0; i < 100000; ++i) text += "  <N><P>1</P><Tie/></N>\n";
  text += "  <E>1</E>\n</R>\n";
  Parsed parsed = Parse(gr.r, text);
  ASSERT_TRUE(parsed.ok) << parsed.message;
  int count = 0;
  for (const TXMLItem* c = parsed.root->GetFirstChild()->GetFirstChild(); c != nullptr; c = c->GetNext()) ++count;
  EXPECT_EQ(count, 100001);

  TDTDGrammar g;
  const TDTDElement* element = g.Make<TDTDAttribute>("V");
  std::string open, close;
  for (int depth = 0; depth < 300; ++depth) {
    const std::string name = "D" + std::to_string(depth);
    element = g.Make<TDTDCompound>(name, g.Make<TDTDRepeatMin1>(element));
    open = "<" + name + ">" + open;
    close += "</" + name + ">";
  }
  Parsed deep = Parse(element, open + "<V>v</V><V>w</V>" + close);
  EXPECT_TRUE(deep.ok) << deep.message;
  const TXMLItem* item = deep.root.get();
  for (int depth = 0; depth <= 300 && item->GetKind() == xmlItemCompound; ++depth) item = item->GetFirstChild();
  EXPECT_EQ(item->GetValue(), "v");
  EXPECT_EQ(item->GetNext()->GetValue(), "w");
}
