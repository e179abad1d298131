// A part-tree view that records what the document asked of it, one line per call; nodes are
// numbered from 1 in the order they were added.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "music/muztreeview.h"

class RecordingMuzTreeView : public MuzTreeView {
 public:
  void BeginUpdate() override { calls.push_back("begin"); }
  void Clear() override { calls.push_back("clear"); }
  void EndUpdate() override { calls.push_back("end"); }
  Node AddChildObject(Node parent, const std::string& text, TMusTreeItem* item) override {
    items.push_back(item);
    calls.push_back("add " + std::to_string(items.size()) + " under " + Name(parent) + ": " + text);
    return ToNode(items.size());
  }
  void SetImageIndex(Node node, int32_t image) override {
    calls.push_back("image " + Name(node) + " " + std::to_string(image));
  }
  void SetSelection(Node node) override { calls.push_back("select " + Name(node)); }
  void ClearSelection() override { calls.push_back("unselect"); }
  void SetExpanded(Node node, bool on) override { calls.push_back((on ? "expand " : "collapse ") + Name(node)); }
  TMusTreeItem* GetData(Node node) const override { return items.at(reinterpret_cast<uintptr_t>(node) - 1); }

  static Node ToNode(size_t index) { return reinterpret_cast<Node>(static_cast<uintptr_t>(index)); }
  static std::string Name(Node node) {
    return node == nullptr ? "top" : std::to_string(reinterpret_cast<uintptr_t>(node));
  }

  std::vector<std::string> calls;
  std::vector<TMusTreeItem*> items;
};
