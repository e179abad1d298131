// Tree state of a music-part node in the music file.
#include "foundation/mustreeitem.h"

#include <memory>

#include "foundation/assertion.h"
#include "foundation/xmlalg.h"

namespace {
constexpr const char* kAssertUnit = "smallobj";
}  // namespace

void TMusTreeItem::WritePartNode(TXMLCompound* parent, bool expanded, bool selected) const {
  KV_ASSERT(parent != nullptr);
  auto node = std::make_unique<TXMLCompound>("PartNode");
  // A label of blanks only would read back as an empty text, which no file may hold.
  if (!EncodeXMLText(Label).empty()) node->Add(std::make_unique<TXMLAttribute>("PartLabel", Label));
  if (expanded) node->Add(std::make_unique<TXMLCompound>("Expanded"));
  if (selected) node->Add(std::make_unique<TXMLCompound>("Selected"));
  parent->Add(std::move(node));
}
