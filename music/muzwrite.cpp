// Writing the music file: every score symbol, note part, key part, note group, stave and part
// writes its own element; the document puts them together (TUnitMuz::BuildXML).
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/smallobj.h"
#include "foundation/writers.h"
#include "foundation/xmlalg.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/muzwrite.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";

// Element names by model value; null where the default is written as nothing.
constexpr const char* kTupletNames[] = {nullptr, nullptr, "Duool", "Triool", "Kwartool", "Kwintool"};
constexpr const char* kNoteShiftNames[] = {"ShiftDoubleCross", "ShiftCross", nullptr, "ShiftMol",
                                           "ShiftDoubleMol", nullptr};
constexpr const char* kArtNames[] = {nullptr, "ArtStaccato", "ArtStaccatissimo", "ArtPortato", "ArtLegato"};
constexpr const char* kStickNames[] = {"NoteStickUp", "NoteStickDown", nullptr};
constexpr const char* kShapeNames[] = {"NoteShapeNormal", "NoteShapeRectangle"};

template <size_t N>
const char* NameOf(const char* const (&names)[N], int32_t value) {
  return value >= 0 && static_cast<size_t>(value) < N ? names[value] : nullptr;
}

void AddText(TXMLCompound& element, const char* name, std::string value) {
  element.Add(std::make_unique<TXMLAttribute>(name, std::move(value)));
}
void AddFlag(TXMLCompound& element, const char* name) {
  if (name != nullptr) element.Add(std::make_unique<TXMLCompound>(name));
}
void AddInteger(TXMLCompound& element, const char* name, int32_t value) {
  AddText(element, name, std::to_string(value));
}

// Position, length and dots, then (for a note) the height and accidental, then the tuplet.
std::unique_ptr<TXMLCompound> WriteTimeSymbol(const char* name, const TStaveTimeSymbol& symbol,
                                              const TMuzNote* note) {
  auto element = std::make_unique<TXMLCompound>(name);
  AddText(*element, "Position", MuzPositionText(symbol.GetSymbolPosition()));
  AddInteger(*element, "Length", symbol.GetNoteLengthKind());
  if (symbol.GetPoints() > 0) AddInteger(*element, "Points", symbol.GetPoints());
  if (note != nullptr) {
    AddInteger(*element, "Height", note->GetPitch());
    AddFlag(*element, NameOf(kNoteShiftNames, note->GetNoteShift()));
  }
  AddFlag(*element, NameOf(kTupletNames, symbol.GetMultiOol()));
  if (symbol.GetPosInOol() > 0) AddInteger(*element, "PosInOol", symbol.GetPosInOol());
  return element;
}

// The reader takes at most ten digits on each side of the point or the slash.
constexpr double kReadableNumberLimit = 1e10;
constexpr int32_t kMaxHalvings = 33;

bool ReadsBackAs(const std::string& text, double value) {
  unitFactorPos readBack(0, kUnitNone);
  std::string error;
  return readBack.Read(text, "Position", error) && readBack.GetValue() == value;
}

TStartPartMuz* RootOf(const TUnitMuz* unit) {
  KV_ASSERT(unit != nullptr);
  return unit->GetStartPartMuz();
}
}  // namespace

std::string MuzPositionText(double position) {
  // The file's usual nine decimals where they read back to the very value; otherwise the exact
  // fraction over a power of two that score positions are made of. A position that lands beside
  // its value after a save no longer lines up with its neighbours on the grid.
  const std::string decimal = FormatNumber(TNumber(position));
  if (ReadsBackAs(decimal, position)) return decimal;
  double denominator = 1;
  for (int32_t halvings = 0; halvings <= kMaxHalvings; ++halvings, denominator *= 2) {
    const double numerator = position * denominator;
    if (numerator >= kReadableNumberLimit) break;
    if (numerator != std::floor(numerator)) continue;
    const std::string fraction = std::to_string(static_cast<int64_t>(numerator)) + "/" +
                                 std::to_string(static_cast<int64_t>(denominator));
    if (ReadsBackAs(fraction, position)) return fraction;
  }
  return decimal;  // nothing the reader takes holds it more closely
}

std::string MuzColourText(uint32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(colour));
  return text;
}

// --- symbols ---------------------------------------------------------------------------------

std::unique_ptr<TXMLCompound> TMuzBar::WriteXML() const {
  auto element = std::make_unique<TXMLCompound>("Bar");
  AddInteger(*element, "Count", Count);
  AddInteger(*element, "Length", Length);
  if (CountFirstBar != 0) AddInteger(*element, "CountFirstBar", CountFirstBar);
  return element;
}

std::unique_ptr<TXMLCompound> TKey::WriteXML() const {
  auto element = std::make_unique<TXMLCompound>("Key");
  AddText(*element, "Position", MuzPositionText(GetSymbolPosition()));
  AddText(*element, "KeyKind", KeyKind == keyKindF ? "F" : KeyKind == keyKindC ? "C" : "G");
  if (OctavesUp != 0) AddInteger(*element, "OctavesUp", OctavesUp);
  for (int32_t height = 0; height < 7; ++height) {
    const uint8_t shift = GetNoteShift(height);
    if (shift != noteShiftKruis && shift != noteShiftMol) continue;
    auto noteShift = std::make_unique<TXMLCompound>("KeyNoteShift");
    AddFlag(*noteShift, shift == noteShiftKruis ? "ShiftCross" : "ShiftMol");
    AddInteger(*noteShift, "Height", height);
    element->Add(std::move(noteShift));
  }
  return element;
}

std::unique_ptr<TXMLCompound> TSilence::WriteXML() const { return WriteTimeSymbol("Silence", *this, nullptr); }

std::unique_ptr<TXMLCompound> TMuzNote::WriteXML() const {
  auto element = WriteTimeSymbol("Note", *this, this);
  AddFlag(*element, NameOf(kArtNames, NoteArtKind));
  AddFlag(*element, NameOf(kStickNames, DrawStickKind));
  return element;
}

// --- key parts, note parts, note groups and staves ---------------------------------------------

std::unique_ptr<TXMLCompound> TSinglePartMuz::WriteKeyPart(const TNoteStave* stave) const {
  // The stave's first key leads the key part even when a rest stands before it in time (a file can
  // hold that): the reader places every symbol by its position, so only the key part's form
  // depends on the order, and a key part that began with a rest would no longer open.
  TStaveSymbol* firstKey = nullptr;
  for (TStaveSymbol* symbol = StartSymbol; symbol != nullptr && firstKey == nullptr; symbol = symbol->GetNext())
    if (symbol->GetNoteStave() == stave) firstKey = symbol->AsKey();
  const bool first = firstKey == nullptr;
  KV_ASSERT(!first);
  auto keyPart = std::make_unique<TXMLCompound>("KeyPart");
  keyPart->Add(firstKey->AsKey()->WriteXML());
  for (TStaveSymbol* symbol = StartSymbol; symbol != nullptr; symbol = symbol->GetNext()) {
    if (symbol == firstKey || symbol->GetNoteStave() != stave) continue;
    if (TKey* key = symbol->AsKey()) keyPart->Add(key->WriteXML());
    else if (symbol->GetStaveSymbolKind() == staveSymbolSilence)
      keyPart->Add(static_cast<const TSilence*>(symbol)->WriteXML());
  }
  return keyPart;
}

std::unique_ptr<TXMLCompound> TSinglePartMuz::WriteNotePart(const TNoteGroup* noteGroup) const {
  auto notePart = std::make_unique<TXMLCompound>("NotePart");
  for (TStaveSymbol* symbol = StartSymbol; symbol != nullptr; symbol = symbol->GetNext()) {
    const TMuzNote* note = symbol->AsNote();
    if (note != nullptr && note->GetNoteGroup() == noteGroup) notePart->Add(note->WriteXML());
  }
  return notePart;
}

std::unique_ptr<TXMLCompound> TNoteGroup::WriteXML() const {
  auto element = std::make_unique<TXMLCompound>("NoteGroup");
  AddText(*element, "NoteColor", MuzColourText(NoteColor));
  AddFlag(*element, NameOf(kShapeNames, NoteShapeKind));
  AddFlag(*element, NameOf(kStickNames, StickKind));
  element->Add(CompoundPlayer->WriteXML());
  KV_ASSERT(NoteStave != nullptr);
  TStartPartMuz* root = RootOf(NoteStave->GetUnitMuz());
  for (TSinglePartMuz* single = root->GetFirstSinglePart(); single != nullptr; single = single->GetNextSinglePart())
    element->Add(single->WriteNotePart(this));
  return element;
}

std::unique_ptr<TXMLCompound> TNoteStave::WriteXML() const {
  std::unique_ptr<TXMLCompound> element = WriteSettingsXML();
  TStartPartMuz* root = RootOf(UnitMuz);
  for (TSinglePartMuz* single = root->GetFirstSinglePart(); single != nullptr; single = single->GetNextSinglePart())
    element->Add(single->WriteKeyPart(this));
  for (const TNoteGroup* group = StartNoteGroup; group != nullptr; group = group->GetNext())
    element->Add(group->WriteXML());
  return element;
}

// --- the part tree ------------------------------------------------------------------------------

void TCountSelectPartItem::WriteXML(TXMLCompound* parent, const TMusTreeItem* selected) const {
  KV_ASSERT(parent != nullptr);
  auto element = std::make_unique<TXMLCompound>("SelectMuzPartTurn");
  AddInteger(*element, "Count", Count.GetValue());
  if (Pitch.GetValue() != 0) AddInteger(*element, "Pitch", Pitch.GetValue());
  WritePartNode(element.get(), false, this == selected);
  parent->Add(std::move(element));
}

void TPartMuz::WriteXML(TXMLCompound* parent, const TMusTreeItem* selected) const {
  KV_ASSERT(parent != nullptr);
  // Children first, walked with a stack of its own: a file may nest parts to any depth.
  struct Visit {
    const TPartMuz* part;
    bool childrenDone;
  };
  std::vector<Visit> pending{{this, false}};
  while (!pending.empty()) {
    const Visit visit = pending.back();
    pending.pop_back();
    const TPartMuz* part = visit.part;
    if (!visit.childrenDone) {
      pending.push_back({part, true});
      TPartMuz* children[2] = {nullptr, nullptr};
      const int count = part->GetChildren(children);
      for (int i = count - 1; i >= 0; --i) pending.push_back({children[i], false});
      continue;
    }
    const bool isSelected = part == selected;
    std::unique_ptr<TXMLCompound> element;
    switch (part->GetPartMuzKind()) {
      case partMuzSingle: {
        const TMuzBar* MuzBar = static_cast<const TSinglePartMuz*>(part)->GetMuzBar();
        KV_ASSERT(MuzBar != NULL);
        element = std::make_unique<TXMLCompound>("SingleMuzPart");
        element->Add(MuzBar->WriteXML());
        part->WritePartNode(element.get(), false, isSelected);
        break;
      }
      case partMuzConcat:
        element = std::make_unique<TXMLCompound>("ConcatMuzPart");
        break;
      case partMuzLoop: {
        const auto* loop = static_cast<const TLoopPartMuz*>(part);
        element = std::make_unique<TXMLCompound>("LoopMuzPart");
        AddInteger(*element, "Count", loop->GetCount().GetValue());
        part->WritePartNode(element.get(), loop->GetExpanded(), isSelected);
        break;
      }
      case partMuzSelect: {
        const auto* select = static_cast<const TSelectPartMuz*>(part);
        element = std::make_unique<TXMLCompound>("SelectMuzPart");
        // The chain's head holds no turn and writes nothing.
        for (const TSelectPartItem* item = select->GetSelectPartItems()->GetNext(); item != nullptr;
             item = item->GetNext())
          static_cast<const TCountSelectPartItem*>(item)->WriteXML(element.get(), selected);
        part->WritePartNode(element.get(), select->GetExpanded(), isSelected);
        break;
      }
      default:  // the root writes only its child
        break;
    }
    if (element != nullptr) parent->Add(std::move(element));
  }
}
