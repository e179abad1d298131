#include <gtest/gtest.h>

#include <vector>

#include "tests/foundation/xml_test_util.h"

namespace {
struct Seen {
  int kind;
  std::string nameOrText;
  int32_t line;
  int32_t column;
  bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
  return out << "{" << s.kind << ", '" << s.nameOrText << "', " << s.line << ", " << s.column << "}";
}

std::vector<Seen> Scan(const std::string& text) {
  std::vector<Seen> seen;
  std::unique_ptr<TXMLToken> first = TokensOf(text);
  for (const TXMLToken* t = first.get(); t != nullptr; t = t->GetNext()) {
    std::string detail;
    switch (t->GetTokenKind()) {
      case xmlTokenAttr: detail = t->GetText(); break;
      case xmlTokenError: detail = t->GetError(); break;
      case xmlTokenEOF: break;
      default: detail = t->GetName(); break;
    }
    seen.push_back({t->GetTokenKind(), detail, t->GetLine(), t->GetColumn()});
  }
  return seen;
}

Seen Only(const std::string& text) {
  std::vector<Seen> seen = Scan(text);
  return seen.empty() ? Seen{-1, "", 0, 0} : seen.front();
}
}  // namespace

TEST(XmlTokenizer, TagsAllowBlanksAroundNamesAndSlashes) {
  struct Case { const char* text; int kind; const char* name; };
  for (const Case& c : {Case{"<a/>", xmlTokenEmpty, "a"}, Case{"<a />", xmlTokenEmpty, "a"},
                        Case{"< a / >", xmlTokenEmpty, "a"}, Case{"</a>", xmlTokenEnd, "a"},
                        Case{"</ a >", xmlTokenEnd, "a"}, Case{"< /a>", xmlTokenEnd, "a"},
                        Case{"<a>", xmlTokenBegin, "a"}, Case{"<\ta\n>", xmlTokenBegin, "a"},
                        Case{"<Note12>", xmlTokenBegin, "Note12"}}) {
    Seen first = Only(c.text);
    EXPECT_EQ(first.kind, c.kind) << c.text;
    EXPECT_EQ(first.nameOrText, c.name) << c.text;
  }
}

TEST(XmlTokenizer, ForbiddenCharactersGiveAnErrorNamingCharacterAndPosition) {
  struct Case { const char* text; const char* message; };
  for (const Case& c : {
           Case{"<a_b>", "unexpected '_' found in line 3, column 2."},
           Case{"<?xml", "unexpected '?' found in line 3, column 1."},
           Case{"<a b>", "unexpected 'b' found in line 3, column 4."},
           Case{"<a=", "unexpected '=' found in line 3, column 2."},
           Case{"</a/>", "unexpected '/' found in line 3, column 4."},
           Case{">", "unexpected '>' found in line 3, column 1."},
           Case{"<a>x>", "unexpected '>' found in line 3, column 4."},
           Case{"abc", "unexpected end-of-file  found in line 3, column 3."},
           Case{"<a", "unexpected end-of-file  found in line 3, column 2."},
       }) {
    std::vector<Seen> seen = Scan(c.text);
    ASSERT_FALSE(seen.empty()) << c.text;
    EXPECT_EQ(seen.back().kind, xmlTokenError) << c.text;
    EXPECT_EQ(seen.back().nameOrText, c.message) << c.text;
  }
}

TEST(XmlTokenizer, TextIsTrimmedKeepsInnerBlanksAndDecodesOnlyTheWrittenEscapes) {
  struct Case { const char* text; const char* value; };
  for (const Case& c : {Case{"  1/3  <", "1/3"}, Case{"A  B<", "A  B"},
                        Case{"A\tB\nC\r\nD<", "A B C  D"}, Case{"R&B; &quot;<", "R&B; &quot;"},
                        Case{"&lt;b&gt; &amp;lt;<", "<b> &lt;"}, Case{"\xe9t\xe9<", "\xe9t\xe9"}}) {
    Seen first = Only(c.text);
    EXPECT_EQ(first.kind, xmlTokenAttr) << c.text;
    EXPECT_EQ(first.nameOrText, c.value) << c.text;
  }
}

TEST(XmlTokenizer, PositionsFollowLinesAndColumnsAndCrlfReadsLikeLf) {
  const std::vector<Seen> expected = {
      {xmlTokenBegin, "a", 3, 3}, {xmlTokenBegin, "b", 4, 5}, {xmlTokenAttr, "x", 4, 6},
      {xmlTokenEnd, "b", 4, 9},   {xmlTokenEnd, "a", 5, 4},   {xmlTokenEOF, "", 5, 3}};
  EXPECT_EQ(Scan("<a>\n  <b>x</b>\n</a>"), expected);
  EXPECT_EQ(Scan("<a>\r\n  <b>x</b>\r\n</a>"), expected);
  EXPECT_EQ(Scan("<a>\r\n  <b>x</b>\r\n</a>\r\n").back(), (Seen{xmlTokenEOF, "", 6, 0}));
}

TEST(XmlTokenizer, AVeryLongTokenListIsReadAndFreed) {
  std::string text;
  for (int i = 0; i < 300000; ++i) text += "<a/>";
  std::unique_ptr<TXMLToken> first = TokensOf(text);
  ASSERT_NE(first, nullptr);
  const TXMLToken* last = LastXMLToken(first.get());
  EXPECT_EQ(last->GetTokenKind(), xmlTokenEOF);
  EXPECT_EQ(last->GetColumn(), 900000);
  first.reset();  // must not recurse once per token
}
