#include "foundation/mustreeitem.h"

#include <gtest/gtest.h>

#include "tests/foundation/xml_test_util.h"

namespace {
class Node : public TMusTreeItem {
 public:
  uint8_t GetMusTreeItemKind() const override { return musTreeItemPartMuz; }
  std::string GetLabel() const override { return Label; }
};

// Each child as name or name=value, in order.
std::vector<std::string> Describe(const TXMLItem* node) {
  std::vector<std::string> parts;
  for (const TXMLItem* c = node->GetFirstChild(); c != nullptr; c = c->GetNext())
    parts.push_back(c->GetKind() == xmlItemAttribute ? c->GetElement() + "=" + c->GetValue()
                                                      : c->GetElement());
  return parts;
}
}  // namespace

TEST(MusTreeItem, PartNodeHoldsLabelExpandedSelectedInThisOrder) {
  struct Case { const char* label; bool expanded, selected; std::vector<std::string> children; };
  for (const Case& c : {Case{"Intro", true, false, {"PartLabel=Intro", "Expanded"}},
                        Case{"", false, false, {}},
                        Case{"", true, true, {"Expanded", "Selected"}},
                        Case{"A<B", false, true, {"PartLabel=A<B", "Selected"}}}) {
    Node node;
    node.SetLabel(c.label);
    TXMLCompound parent("SinglePartMuz");
    parent.Add(std::make_unique<TXMLAttribute>("Other", "x"));
    node.WritePartNode(&parent, c.expanded, c.selected);
    const TXMLItem* written = parent.GetLastChild();
    ASSERT_EQ(written->GetElement(), "PartNode");
    EXPECT_EQ(Describe(written), c.children) << c.label;
  }
}
