// Base of every node of the music-part tree: the parts and the turn items of a select part.
// It keeps the label the user gives the node and stores the node's tree state in the music file.
#pragma once

#include <cstdint>
#include <string>

class TXMLCompound;

enum TMusTreeItemKind : uint8_t { musTreeItemPartMuz = 0, musTreeItemSelectPartItem = 1 };

class TMusTreeItem {
 public:
  TMusTreeItem() = default;
  virtual ~TMusTreeItem() = default;
  TMusTreeItem(const TMusTreeItem&) = default;
  TMusTreeItem& operator=(const TMusTreeItem&) = default;

  virtual uint8_t GetMusTreeItemKind() const = 0;
  virtual std::string GetLabel() const = 0;

  void SetLabel(const std::string& text) { Label = text; }
  // Appends a "PartNode" element: the label when there is one, then "Expanded", then "Selected".
  void WritePartNode(TXMLCompound* parent, bool expanded, bool selected) const;

 protected:
  std::string Label;
};
