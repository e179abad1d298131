// The music document's status text for its selected symbol, the part tree shown in the tree view
// of the music-parts dialog, and the adders through which the file reader rebuilds the symbols.
#include <string>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/muztreeview.h"
#include "music/unitmuz.h"
#include "wave/shell.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";

// Images of the music-parts dialog's list.
constexpr int32_t kImageLoop = 0;
constexpr int32_t kImageSingle = 1;
constexpr int32_t kImageTurn = 2;
constexpr int32_t kImageSelect = 3;

constexpr int32_t kKindPanel = 1;
constexpr int32_t kPositionPanel = 2;
constexpr int32_t kLengthPanel = 3;
constexpr int32_t kNamePanel = 4;

// Whole notes as a musician reads them: 3/8, 1 1/2, 2.
std::string WholeNotesText(double x) {
  int32_t whole = 0, numerator = 0, denominator = 1;
  ToBinaryFraction(x, whole, numerator, denominator);
  if (denominator == 1) return std::to_string(whole);
  const std::string fraction = std::to_string(numerator) + "/" + std::to_string(denominator);
  return whole == 0 ? fraction : std::to_string(whole) + " " + fraction;
}

// The Dutch note names: c4 is the c below the a of 440 Hz; "es" loses its "e" after a and e.
std::string NoteName(int32_t pitch, uint8_t noteShift) {
  const int32_t step = static_cast<int32_t>(WrapIntoRange(pitch, -2, 5));
  const char letter = static_cast<char>('c' + step);
  const bool afterVowel = letter == 'a' || letter == 'e';
  std::string suffix;
  switch (noteShift) {
    case noteShiftDubbelKruis:
      suffix = "isis";
      break;
    case noteShiftKruis:
      suffix = "is";
      break;
    case noteShiftMol:
      suffix = afterVowel ? "s" : "es";
      break;
    case noteShiftDubbelMol:
      suffix = afterVowel ? "ses" : "eses";
      break;
    default:
      break;
  }
  return std::string(1, letter) + suffix + std::to_string((pitch + 700) / 7 - 96);
}
}  // namespace

// --- adders of the file reader ------------------------------------------------------------------

TMuzNote* TUnitMuz::AddXMLNote(TNoteStave* stave, double position, int8_t noteLengthKind, int32_t points,
                               int32_t pitch, TNoteGroup* noteGroup, uint8_t noteShift, int8_t multiOol,
                               int32_t posInOol, uint8_t noteArtKind, TSinglePartMuz* singlePart,
                               uint8_t drawStickKind) {
  KV_ASSERT(StartPartMuz != NULL);
  KV_ASSERT(points >= 0);
  KV_ASSERT(position >= 0);
  auto* note = new TMuzNote(this, noteGroup, noteLengthKind, points, position, pitch, stave, noteShift, multiOol,
                            posInOol, noteArtKind, singlePart, drawStickKind);
  InsertReadSymbol(note);
  return note;
}

TKey* TUnitMuz::AddXMLKey(TNoteStave* stave, double position, int32_t addOctaves, int8_t keyKind, int32_t keyOrder,
                          TSinglePartMuz* singlePart) {
  KV_ASSERT(StartPartMuz != NULL);
  KV_ASSERT(addOctaves >= -2);
  KV_ASSERT(addOctaves <= 2);
  auto* key = new TKey(this, keyKind, addOctaves, position, stave, keyOrder, singlePart);
  InsertReadSymbol(key);
  return key;
}

TSilence* TUnitMuz::AddXMLSilence(TNoteStave* stave, double position, int8_t noteLengthKind, int32_t points,
                                  int8_t multiOol, int32_t posInOol, TSinglePartMuz* singlePart) {
  KV_ASSERT(StartPartMuz != NULL);
  auto* silence = new TSilence(noteLengthKind, points, position, stave, multiOol, posInOol, singlePart);
  InsertReadSymbol(silence);
  return silence;
}

// --- status text --------------------------------------------------------------------------------

void TUnitMuz::ShowStatus() const {
  ShellServices* shell = Shell();
  if (SelectedSymbol == nullptr) {
    for (int32_t panel = kKindPanel; panel <= kNamePanel; ++panel) shell->SetStatusText(panel, "");
    return;
  }
  // A bar or a loop end has no place on a stave: what the panels said of the last symbol stays.
  switch (SelectedSymbol->GetMuzSymbolKind()) {
    case muzSymbolBar:
      shell->SetStatusText(kKindPanel, "Bar");
      return;
    case muzSymbolLoop:
      shell->SetStatusText(kKindPanel, "Loop");
      return;
    default:
      break;
  }
  auto* symbol = static_cast<TStaveSymbol*>(SelectedSymbol);
  const uint8_t kind = symbol->GetStaveSymbolKind();
  shell->SetStatusText(kKindPanel, kind == staveSymbolKey ? "Key" : kind == staveSymbolNote ? "Note" : "Silence");
  shell->SetStatusText(kPositionPanel, "pos: " + WholeNotesText(symbol->GetSymbolPosition()));
  const TStaveTimeSymbol* timed = symbol->AsTimeSymbol();
  shell->SetStatusText(kLengthPanel,
                       timed != nullptr ? "len: " + WholeNotesText(timed->TStaveTimeSymbol::GetLength()) : "");
  const TMuzNote* note = symbol->AsNote();
  shell->SetStatusText(kNamePanel, note != nullptr ? NoteName(note->GetPitch(), note->GetNoteShift()) : "");
}

// --- the part-tree view ---------------------------------------------------------------------------

void TUnitMuz::SelectMusTreeItem(const MuzTreeView& view, void* node) {
  TMusTreeItem* selMusTreeItem = view.GetData(node);
  KV_ASSERT(selMusTreeItem != NULL);
  SetSelMusTreeItem(selMusTreeItem);
}

void TUnitMuz::FillMusTree(MuzTreeView& view) {
  view.BeginUpdate();
  view.Clear();
  StartPartMuz->AddToTreeView(view, nullptr, SelMusTreeItem);
  if (SelMusTreeItem == nullptr) view.ClearSelection();
  view.EndUpdate();
}

namespace {
MuzTreeView::Node AddNode(MuzTreeView& view, MuzTreeView::Node parent, TMusTreeItem* item, int32_t image,
                          const TMusTreeItem* selected) {
  MuzTreeView::Node node = view.AddChildObject(parent, item->GetLabel(), item);
  view.SetImageIndex(node, image);
  if (item == selected) view.SetSelection(node);
  return node;
}
}  // namespace

void TPartMuz::AddToTreeView(MuzTreeView& view, void* parentNode, const TMusTreeItem* selected) {
  // Parents before children, with a stack of its own: a file may nest parts to any depth. A
  // loop's or select part's node is expanded only after its children are in.
  struct Step {
    TPartMuz* part;  // null: expand `node`
    MuzTreeView::Node node;
    bool expanded;
  };
  std::vector<Step> pending{{this, parentNode, false}};
  while (!pending.empty()) {
    const Step step = pending.back();
    pending.pop_back();
    if (step.part == nullptr) {
      view.SetExpanded(step.node, step.expanded);
      continue;
    }
    TPartMuz* part = step.part;
    MuzTreeView::Node under = step.node;
    bool expanded = false;
    bool ownNode = true;
    switch (part->GetPartMuzKind()) {
      case partMuzSingle:
        AddNode(view, under, part, kImageSingle, selected);
        continue;
      case partMuzLoop:
        under = AddNode(view, under, part, kImageLoop, selected);
        expanded = static_cast<TLoopPartMuz*>(part)->GetExpanded();
        break;
      case partMuzSelect: {
        auto* select = static_cast<TSelectPartMuz*>(part);
        const TSelectPartItem* SelectPartItems = select->GetSelectPartItems();
        KV_ASSERT(SelectPartItems != NULL);
        under = AddNode(view, under, part, kImageSelect, selected);
        for (TSelectPartItem* item = SelectPartItems->GetNext(); item != nullptr; item = item->GetNext())
          AddNode(view, under, item, kImageTurn, selected);
        expanded = select->GetExpanded();
        break;
      }
      default:  // the root and a concatenation have no node: their children stand in their place
        ownNode = false;
        break;
    }
    if (ownNode) pending.push_back({nullptr, under, expanded});
    TPartMuz* children[2] = {nullptr, nullptr};
    const int count = part->GetChildren(children);
    for (int i = count - 1; i >= 0; --i) pending.push_back({children[i], under, false});
  }
}
