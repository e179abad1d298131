// What the music document asks of the tree view that shows the part tree. The music-parts
// dialog implements it; tests use a fake that records the calls.
#pragma once

#include <cstdint>
#include <string>

class TMusTreeItem;

class MuzTreeView {
 public:
  // A node of the view as the view knows it; null stands for the top level.
  using Node = void*;

  virtual ~MuzTreeView() = default;
  virtual void BeginUpdate() = 0;
  virtual void Clear() = 0;
  virtual void EndUpdate() = 0;
  // A new last child of `parent` showing `text`, with the item as its data.
  virtual Node AddChildObject(Node parent, const std::string& text, TMusTreeItem* item) = 0;
  // Sets the image and the selected image together.
  virtual void SetImageIndex(Node node, int32_t image) = 0;
  virtual void SetSelection(Node node) = 0;
  virtual void ClearSelection() = 0;
  virtual void SetExpanded(Node node, bool expanded) = 0;
  // The item a node was added with.
  virtual TMusTreeItem* GetData(Node node) const = 0;
};
