#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tests/foundation/xml_test_util.h"

namespace {
// Kind, name (text or error for those tokens), line, column.
using Seen = std::tuple<int, std::string, int32_t, int32_t>;

std::vector<Seen> Scan(const std::string& text) {
  std::vector<Seen> seen;
  std::unique_ptr<TXMLToken> first = TokensOf(text);
  for (const TXMLToken* t = first.get(); t != nullptr; t = t->GetNext()) {
    const int kind = t->GetTokenKind();
    const std::string detail = kind == xmlTokenAttr    ? t->GetText()
                               : kind == xmlTokenError ? t->GetError()
                               : kind == xmlTokenEOF   ? ""
                                                       : t->GetName();
    seen.emplace_back(kind, detail, t->GetLine(), t->GetColumn());
  }
  return seen;
}
}  // namespace

TEST(XmlTokenizer, TagsAllowBlanksAroundNamesAndSlashesAndTextIsTrimmedAndUnescaped) {
  struct Case { const char* text; int kind; const char* nameOrText; };
  for (const Case& c : {Case{"<a/>", xmlTokenEmpty, "a"}, Case{"< a / >", xmlTokenEmpty, "a"},
                        Case{"</a>", xmlTokenEnd, "a"}, Case{"</ a >", xmlTokenEnd, "a"},
                        Case{"< /a>", xmlTokenEnd, "a"}, Case{"<\ta\n>", xmlTokenBegin, "a"},
                        Case{"<Note12>", xmlTokenBegin, "Note12"}, Case{"  1/3  <", xmlTokenAttr, "1/3"},
                        Case{"A\tB\nC\r\nD\rE<", xmlTokenAttr, "A B C D E"},
                        Case{"R&B; &quot;<", xmlTokenAttr, "R&B; &quot;"},
                        Case{"&lt;b&gt; &amp;lt;<", xmlTokenAttr, "<b> &lt;"},
                        Case{"\xe9t\xe9<", xmlTokenAttr, "\xe9t\xe9"},
                        Case{"\r<", xmlTokenAttr, ""}}) {  // a lone CR is no blank to skip
    std::vector<Seen> seen = Scan(c.text);
    ASSERT_FALSE(seen.empty()) << c.text;
    EXPECT_EQ(std::get<0>(seen[0]), c.kind) << c.text;
    EXPECT_EQ(std::get<1>(seen[0]), c.nameOrText) << c.text;
  }
}

TEST(XmlTokenizer, ForbiddenCharactersGiveAnErrorNamingCharacterAndPosition) {
  struct Case { const char* text; const char* message; };
  for (const Case& c : {Case{"<a_b>", "unexpected '_' found in line 3, column 2."},
                        Case{"<?xml", "unexpected '?' found in line 3, column 1."},
                        Case{"<a b>", "unexpected 'b' found in line 3, column 4."},
                        Case{"<a=", "unexpected '=' found in line 3, column 2."},
                        Case{"</a/>", "unexpected '/' found in line 3, column 4."},
                        Case{">", "unexpected '>' found in line 3, column 1."},
                        Case{"<a>x>", "unexpected '>' found in line 3, column 4."},
                        Case{"abc", "unexpected end-of-file  found in line 3, column 3."},
                        Case{"<a", "unexpected end-of-file  found in line 3, column 2."},
                        Case{"<\ra>", "unexpected '\r' found in line 3, column 1."}}) {
    std::vector<Seen> seen = Scan(c.text);
    ASSERT_FALSE(seen.empty()) << c.text;
    EXPECT_EQ(std::get<0>(seen.back()), xmlTokenError) << c.text;
    EXPECT_EQ(std::get<1>(seen.back()), c.message) << c.text;
  }
}

TEST(XmlTokenizer, PositionsFollowLinesAndColumnsAndCrlfReadsLikeLf) {
  const std::vector<Seen> expected = {{xmlTokenBegin, "a", 3, 3}, {xmlTokenBegin, "b", 4, 5}, {xmlTokenAttr, "x", 4, 6},
                                      {xmlTokenEnd, "b", 4, 9},   {xmlTokenEnd, "a", 5, 4},   {xmlTokenEOF, "", 5, 3}};
  EXPECT_EQ(Scan("<a>\n  <b>x</b>\n</a>"), expected);
  EXPECT_EQ(Scan("<a>\r\n  <b>x</b>\r\n</a>"), expected);
  EXPECT_EQ(Scan("<a>\r\n  <b>x</b>\r\n</a>\r\n").back(), (Seen{xmlTokenEOF, "", 6, 0}));
}
