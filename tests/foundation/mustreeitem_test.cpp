#include "foundation/mustreeitem.h"

#include <gtest/gtest.h>

#include "tests/foundation/xml_test_util.h"

namespace {
class Node : public TMusTreeItem {
 public:
  uint8_t GetMusTreeItemKind() const override { return musTreeItemPartMuz; }
  std::string GetLabel() const override { return Label; }
};
}  // namespace

TEST(MusTreeItem, PartNodeIsAddedLastAndHoldsLabelExpandedSelectedInThisOrder) {
  struct Case { const char* label; bool expanded, selected; const char* shape; };
  for (const Case& c : {Case{"Intro", true, false, "S(Other=x,PartNode(PartLabel=Intro,Expanded()))"},
                        Case{" ", true, true, "S(Other=x,PartNode(Expanded(),Selected()))"},
                        Case{"A<B", false, true, "S(Other=x,PartNode(PartLabel=A<B,Selected()))"}}) {
    Node node;
    node.SetLabel(c.label);
    TXMLCompound parent("S");
    parent.Add(std::make_unique<TXMLAttribute>("Other", "x"));
    node.WritePartNode(&parent, c.expanded, c.selected);
    EXPECT_EQ(Shape(&parent), c.shape) << c.label;
  }
}
