// Staves: the chain links, the note-group chain and the stave's settings in the music file.
#include "music/stave.h"

#include <string>

#include "foundation/assertion.h"
#include "foundation/xmlalg.h"
#include "music/muzwrite.h"
#include "music/noteplay.h"

namespace {
constexpr const char* kAssertUnit = "stave";
}  // namespace

TStave::~TStave() {
  for (TNoteGroup* group = StartNoteGroup; group;) {
    TNoteGroup* next = group->GetNext();
    delete group;
    group = next;
  }
}

TNoteStave::TNoteStave(TUnitMuz* unit, uint32_t foreground, uint32_t background, int32_t roomUp,
                       int32_t roomDown, uint8_t allowJoinFlags, bool mute, bool extraLines)
    : Foreground(foreground),
      Background(background),
      RoomUp(roomUp, 0),
      RoomDown(roomDown, 0),
      AllowJoinFlags(drawFlagSeparate),
      Mute(mute),
      ExtraLines(extraLines),
      UnitMuz(unit) {
  RoomUp.SetBound(kStaveRoomBound);
  RoomDown.SetBound(kStaveRoomBound);
  SetAllowJoinFlags(allowJoinFlags);
}

void TNoteStave::SetAllowJoinFlags(uint8_t drawFlagKind) {
  KV_ASSERT(drawFlagKind != drawFlagNone);
  AllowJoinFlags = drawFlagKind;
}

void TNoteStave::InsertNoteGroup(TNoteGroup* afterGroup, TNoteGroup* group) {
  if (StartNoteGroup == nullptr || afterGroup == nullptr) {
    group->SetNext(StartNoteGroup);
    StartNoteGroup = group;
    return;
  }
  TNoteGroup* prevGroup = StartNoteGroup;
  while (prevGroup != afterGroup && prevGroup->GetNext() != nullptr) prevGroup = prevGroup->GetNext();
  KV_ASSERT(prevGroup->GetNext() != NULL || prevGroup == afterGroup);
  group->SetNext(afterGroup->GetNext());
  afterGroup->SetNext(group);
}

TNoteGroup* TNoteStave::GetPrevNoteGroup(TNoteGroup* group) const {
  TNoteGroup* startNoteGroup = StartNoteGroup;
  KV_ASSERT(startNoteGroup != NULL);
  TNoteGroup* previous = nullptr;
  for (TNoteGroup* item = startNoteGroup; item && item != group; item = item->GetNext()) previous = item;
  return previous;
}

bool TNoteStave::HasNoteGroup(const TNoteGroup* group) const {
  for (TNoteGroup* item = StartNoteGroup; item; item = item->GetNext())
    if (item == group) return true;
  return false;
}

void TNoteStave::DeleteNoteGroup(TNoteGroup* deleteGroup) {
  KV_ASSERT(deleteGroup != NULL);
  KV_ASSERT(HasNoteGroup(deleteGroup));
  KV_ASSERT(StartNoteGroup->GetNext() != NULL);  // the last group stays
  if (StartNoteGroup == deleteGroup) {
    StartNoteGroup = deleteGroup->GetNext();
  } else {
    TNoteGroup* previous = GetPrevNoteGroup(deleteGroup);
    previous->SetNext(deleteGroup->GetNext());
  }
  deleteGroup->SetNext(nullptr);
  // The cursors move to a group that stays.
  if (CurNoteGroup == deleteGroup) CurNoteGroup = StartNoteGroup;
  if (SelectedNoteGroup == deleteGroup) SelectedNoteGroup = StartNoteGroup;
}

void TNoteStave::SetSelectedNoteGroup(TNoteGroup* noteGroup) {
  KV_ASSERT(noteGroup != NULL);
  SelectedNoteGroup = noteGroup;
}

std::unique_ptr<TXMLCompound> TNoteStave::WriteSettingsXML() const {
  auto stave = std::make_unique<TXMLCompound>("Stave");
  stave->Add(std::make_unique<TXMLAttribute>("RoomUp", std::to_string(RoomUp.GetValue())));
  stave->Add(std::make_unique<TXMLAttribute>("RoomDown", std::to_string(RoomDown.GetValue())));
  if (AllowJoinFlags == drawFlagJoin) stave->Add(std::make_unique<TXMLCompound>("AllowJoinFlags"));
  if (Mute) stave->Add(std::make_unique<TXMLCompound>("Mute"));
  if (ExtraLines) stave->Add(std::make_unique<TXMLCompound>("ExtraLines"));
  stave->Add(std::make_unique<TXMLAttribute>("ForegroundColor", MuzColourText(Foreground)));
  stave->Add(std::make_unique<TXMLAttribute>("BackgroundColor", MuzColourText(Background)));
  return stave;
}
