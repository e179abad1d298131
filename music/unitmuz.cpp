// The music document: construction, the content of a new document, the refresh after an edit,
// the selection primitives and the removal of staves, note groups and parts, after which nothing
// may point into what was freed.
#include "music/unitmuz.h"

#include <utility>

#include "foundation/assertion.h"
#include "foundation/messages.h"
#include "foundation/readers.h"
#include "foundation/xmlalg.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/muzview.h"
#include "music/noteplay.h"
#include "music/stave.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";

// The bar of a new document: four quarter notes, a whole first bar.
constexpr int8_t kNewBarLength = 4;
constexpr int32_t kNewBarCount = 4;
// The one player of a new stave's group: a simple sampler recorded at 1 kHz, half volume.
constexpr double kDefaultBasicPeriod = 0.001;
constexpr double kDefaultVolume = 0.5;

bool PartInSubtree(const TPartMuz* part, const TPartMuz* top) {
  for (; part; part = part->GetParent())
    if (part == top) return true;
  return false;
}
}  // namespace

// --- TPartMuzStackItem -------------------------------------------------------------------------

TPartMuzStackItem::~TPartMuzStackItem() {
  DeleteChain(std::exchange(Next, nullptr), &TPartMuzStackItem::Next);
  TPartMuz::DeleteSubtrees(std::exchange(Contents, nullptr), nullptr);
}

void TPartMuzStackItem::Append(TPartMuzStackItem* item) {
  TPartMuzStackItem* last = this;
  while (last->Next) last = last->Next;
  last->Next = item;
}

TPartMuzStackItem* TPartMuzStackItem::PopLast() {
  if (Next == nullptr) return nullptr;
  TPartMuzStackItem* beforeLast = this;
  while (beforeLast->Next->Next) beforeLast = beforeLast->Next;
  return std::exchange(beforeLast->Next, nullptr);
}

int32_t TPartMuzStackItem::Count() const {
  int32_t count = 0;
  for (const TPartMuzStackItem* item = Next; item; item = item->Next) ++count;
  return count;
}

TPartMuz* TPartMuzStackItem::TakeContents() {
  KV_ASSERT(Contents != NULL);
  return std::exchange(Contents, nullptr);
}

void TPartMuzStackItem::Clear() {
  KV_ASSERT(Contents == NULL);
  delete std::exchange(Next, nullptr);
}

// --- TUnitMuz ----------------------------------------------------------------------------------

TUnitMuz::TUnitMuz(const std::string& fileName)
    : TUnit(kUnitKindMuz), StartPartMuz(std::make_unique<TStartPartMuz>(this)), Tempo(1.0, kUnitSeconds) {
  SetFileName(fileName);
  SetNew();
}

TUnitMuz::~TUnitMuz() {
  SelectedSymbol = nullptr;
  SelMusTreeItem = nullptr;
  for (TNoteStave* stave = StartStave; stave;) {
    TNoteStave* next = stave->GetNext();
    delete stave;
    stave = next;
  }
  StartStave = SelectedInStave = CurStave = nullptr;
  StartPartMuz.reset();
  delete std::exchange(PartMuzStackItems, nullptr);
}

void TUnitMuz::SetFormat(const waveFileProps& /*oldProps*/, const waveFileProps& newProps) {
  Channels = newProps.MonoStereo;
  SamplesPerSec = static_cast<uint32_t>(newProps.frequency);
  BytesPerSample = newProps.BytesPSample;
}

void TUnitMuz::InitNew() {
  auto* single = new TSinglePartMuz(this);
  TPartMuz* oldPart = StartPartMuz->SetPartMuz(single);
  KV_ASSERT(oldPart == NULL);
  SelectedSymbol = new TMuzBar(single, kNewBarLength, kNewBarCount, 0);
  AddDefaultStave(nullptr);
  SetNew();
  SetSelectedSymbol(StartPartMuz->GetStartSymbol());
}

TNoteStave* TUnitMuz::AddDefaultStave(TNoteStave* after) {
  auto* stave = new TNoteStave(this, kStaveForeground, kStaveBackground, kStaveRoom, kStaveRoom, drawFlagJoin,
                               false, false);
  TNoteStave* next = after ? after->GetNext() : StartStave;
  stave->SetPrev(after);
  stave->SetNext(next);
  if (next) next->SetPrev(stave);
  if (after)
    after->SetNext(stave);
  else
    StartStave = stave;

  KV_ASSERT(StartPartMuz != NULL);
  StartPartMuz->AddStave(stave);

  auto compoundPlayer = NewDefaultCompoundPlayer();

  auto* group = new TNoteGroup(stave, std::move(compoundPlayer), 0x000000, noteShapeNormal, drawStickUp);
  stave->InsertNoteGroup(nullptr, group);
  stave->SetSelectedNoteGroup(group);
  stave->SetCurNoteGroup(group);
  CurStave = stave;
  return stave;
}

std::unique_ptr<TOnePlayer> TUnitMuz::NewDefaultPlayer(TCompoundPlayer* compoundPlayer) {
  auto onePlayer = std::make_unique<TOnePlayer>(compoundPlayer, unitVolumeFactor(kDefaultVolume, kUnitPercent),
                                                unitFreq(0.0, kUnitKiloHertz));
  TSimpleSamplerProps sampler;
  sampler.SampleWave = unitUnitWave(muztext::kDefaultSampleWave);
  sampler.BasicFreq = unitTimePosMore(kDefaultBasicPeriod, kUnitKiloHertz);
  onePlayer->SetSimpleSampler(sampler);
  return onePlayer;
}

std::unique_ptr<TCompoundPlayer> TUnitMuz::NewDefaultCompoundPlayer() {
  auto compoundPlayer = std::make_unique<TCompoundPlayer>(this);
  auto onePlayer = NewDefaultPlayer(compoundPlayer.get());
  TOnePlayer* player = onePlayer.get();
  compoundPlayer->InsertAfter(nullptr, std::move(onePlayer));
  compoundPlayer->SetCurOnePlayer(player);
  return compoundPlayer;
}

void TUnitMuz::Refresh() {
  if (ChildMuz == nullptr) return;
  ChildMuz->Redraw();
  ChildMuz->ShowStatus();
}

std::unique_ptr<TXMLCompound> TUnitMuz::BuildXML() const {
  auto root = std::make_unique<TXMLCompound>("UnitMuz");
  root->Add(std::make_unique<TXMLAttribute>("Version", muztext::kVersion));
  root->Add(std::make_unique<TXMLAttribute>("Tempo", Tempo.Write()));
  StartPartMuz->WriteXML(root.get(), SelMusTreeItem);
  for (const TNoteStave* stave = StartStave; stave; stave = stave->GetNext()) root->Add(stave->WriteXML());
  return root;
}

std::string TUnitMuz::SaveToMemory() const { return BuildXML()->DocumentText(); }

bool TUnitMuz::SaveToFile(const std::string& fileName, bool /*temporary*/) {
  const std::unique_ptr<TXMLCompound> root = BuildXML();
  std::string reason;
  const bool saved = root->SaveToFile(fileName, reason);
  if (!saved)
    ShowMessageBox(std::string(muztext::kCannotSaveMusic) + reason, msgtext::kFileErrorNoBlank,
                   kMbOk | kMbIconInformation);
  return saved;
}

uint8_t TUnitMuz::GetSelMuzSymbolKind() const {
  return SelectedSymbol ? SelectedSymbol->GetMuzSymbolKind() : kNoSelectedSymbol;
}

void TUnitMuz::SetSelectedSymbol(TXTouchMuzSymbol* symbol) {
  if (SelectedSymbol && SelectedSymbol->GetMuzSymbolKind() == muzSymbolStave)
    SelectedInStave = static_cast<TStaveSymbol*>(SelectedSymbol)->GetNoteStave();
  SelectedSymbol = symbol;
}

void TUnitMuz::CheckParents() { StartPartMuz->CheckParents(StartPartMuz.get()); }

bool TUnitMuz::SymbolInSubtree(const TXTouchMuzSymbol* symbol, const TPartMuz* part) {
  switch (symbol->GetMuzSymbolKind()) {
    case muzSymbolBar:
      return PartInSubtree(static_cast<const TMuzBar*>(symbol)->GetSinglePartMuz(), part);
    case muzSymbolLoop:
      return PartInSubtree(static_cast<const TLoopPartSymbol*>(symbol)->GetLoopPart(), part);
    default:
      return PartInSubtree(static_cast<const TStaveSymbol*>(symbol)->GetSinglePartMuz(), part);
  }
}

bool TUnitMuz::RemoveStave(TNoteStave* stave) {
  KV_ASSERT(stave != NULL);
  if (StartStave == stave && stave->GetNext() == nullptr) return false;
  if (SelectedSymbol && SelectedSymbol->GetMuzSymbolKind() == muzSymbolStave &&
      static_cast<TStaveSymbol*>(SelectedSymbol)->GetNoteStave() == stave)
    SelectedSymbol = nullptr;
  if (SelectedInStave == stave) SelectedInStave = nullptr;
  if (CurStave == stave) CurStave = nullptr;
  if (StaveCursor == stave) StaveCursor = nullptr;
  StartPartMuz->RemoveStave(stave);
  UnlinkFromChain(stave, StartStave);
  delete stave;
  return true;
}

bool TUnitMuz::RemoveNoteGroup(TNoteStave* stave, TNoteGroup* noteGroup) {
  KV_ASSERT(stave != NULL);
  KV_ASSERT(noteGroup != NULL);
  if (!stave->HasNoteGroup(noteGroup) || stave->GetStartNoteGroup()->GetNext() == nullptr) return false;
  DeleteNoteGroup(noteGroup);
  stave->DeleteNoteGroup(noteGroup);
  delete noteGroup;
  return true;
}

void TUnitMuz::DeleteDetachedPart(TPartMuz* part) {
  if (part == nullptr) return;
  if (SelectedSymbol && SymbolInSubtree(SelectedSymbol, part)) SelectedSymbol = nullptr;
  if (SelMusTreeItem) {
    const TPartMuz* itemPart = nullptr;
    if (SelMusTreeItem->GetMusTreeItemKind() == musTreeItemPartMuz)
      itemPart = static_cast<const TPartMuz*>(SelMusTreeItem);
    else
      itemPart = static_cast<const TSelectPartItem*>(SelMusTreeItem)->GetOwner();
    if (PartInSubtree(itemPart, part)) SelMusTreeItem = nullptr;
  }
  TPartMuz::DeleteSubtrees(part, nullptr);
}

void TUnitMuz::ForgetMusTreeItem(const TMusTreeItem* item) {
  if (SelMusTreeItem == item) SelMusTreeItem = nullptr;
}
