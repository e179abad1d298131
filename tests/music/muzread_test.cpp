#include "music/muzread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "foundation/readers.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "tests/foundation/xml_test_util.h"

namespace {
const std::string kHeader = std::string(xmltext::kDeclaration) + "\n<!DOCTYPE UnitMuz SYSTEM \"UnitMuz.dtd\">\n\n";

std::string Single(const std::string& node = "<PartNode/>", const std::string& bar = "<Count>4</Count>\n<Length>4</Length>") {
  return "<SingleMuzPart>\n<Bar>\n" + bar + "\n</Bar>\n" + node + "\n</SingleMuzPart>";
}
std::string Key(const std::string& position = "0", const std::string& more = "") {
  return "<Key>\n<Position>" + position + "</Position>\n<KeyKind>G</KeyKind>\n" + more + "</Key>";
}
std::string Note(const std::string& values, const std::string& more = "") {
  return "<Note>\n" + values + "\n" + more + "</Note>";
}
const std::string kNote = "<Position>0</Position>\n<Length>4</Length>\n<Height>3</Height>";
const std::string kSilence = "<Silence>\n<Position>1</Position>\n<Length>4</Length>\n";

// A "7.1" document, one element per line, whose pieces the cases replace.
struct Doc {
  std::string parts = Single();
  std::string stave = "<RoomUp>40</RoomUp>\n<RoomDown>40</RoomDown>\n<ForegroundColor>0</ForegroundColor>\n"
                      "<BackgroundColor>0</BackgroundColor>";
  std::string keyParts = "<KeyPart>\n" + Key() + "\n</KeyPart>";
  std::string groupHead = "<NoteColor>0</NoteColor>\n<NoteShapeNormal/>";
  std::string players = "<RepeatWaveForm>\n<SampleWave>s</SampleWave>\n<VolumeFactor>1</VolumeFactor>\n</RepeatWaveForm>";
  std::string noteParts = "<NotePart>\n" + Note(kNote) + "\n</NotePart>";
  std::string tail;
  std::string staveMark;  // "@" when the first stave is the element at fault
  std::string Text(const std::string& version = "7.1") const {
    return "<UnitMuz>\n<Version>" + version + "</Version>\n<Tempo>2 s</Tempo>\n" + parts + "\n" + staveMark + "<Stave>\n" + stave + "\n" +
           keyParts + "\n<NoteGroup>\n" + groupHead + "\n<CompoundPlayer>\n" + players + "\n</CompoundPlayer>\n" +
           noteParts + "\n</NoteGroup>\n</Stave>\n</UnitMuz>\n" + tail;
  }
};

struct Loaded {
  std::unique_ptr<TUnitMuz> unit;
  bool ok = false;
  std::string error;
};

Loaded LoadText(const std::string& body, const std::string& header = kHeader) {
  static ScratchDir dir;
  const std::string path = dir.File("read.kvm");
  std::ofstream(path, std::ios::binary) << header << body;
  Loaded loaded{std::make_unique<TUnitMuz>(path), false, ""};
  loaded.ok = loaded.unit->LoadFromFile(loaded.error);
  return loaded;
}

// The error a load must give for a file whose faulty element is marked with '@' at the start of its
// line: the message, then the line and the column that the tokenizer gives that element's begin tag
// (its '>', counted from 1 on the line, plus one).
std::string Expected(const std::string& marked, const std::string& message) {
  const size_t at = marked.find('@');
  if (at == std::string::npos) return message;
  const std::string before = kHeader + marked.substr(0, at);
  const int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
  const size_t tagEnd = marked.find('>', at);
  return message + muzread::PositionSuffix(line, static_cast<int32_t>(tagEnd - at));
}

std::string Field(const std::string& field, const std::string& message) { return "In " + field + ": " + message; }
std::string AtMost(int64_t bound) { return readtext::kRelationAtMost + std::to_string(bound) + "."; }
std::string AtLeast(int64_t bound) { return readtext::kRelationAtLeast + std::to_string(bound) + "."; }
std::string Loops(int count, const std::string& countText) {
  std::string parts = Single();
  for (int i = 0; i < count; ++i) parts += "\n<LoopMuzPart><Count>" + countText + "</Count><PartNode/></LoopMuzPart>";
  return parts;
}

struct RefusedCase {
  const char* what;
  std::function<void(Doc&)> edit;
  std::string message;
};

TEST(MuzRead, RefusesEveryMalformedFileWithItsTextAndPosition) {
  using namespace muzreadtext;
  const std::string lengths = kNoLengthKind;
  const RefusedCase cases[] = {
      {"two parts, no concatenation", [](Doc& d) { d.parts += "\n" + Single(); d.staveMark = "@"; }, kPartsOutsideTree},
      {"concatenation first", [](Doc& d) { d.parts = "@<ConcatMuzPart/>\n" + d.parts; }, kConcatNoSecond},
      {"concatenation of one", [](Doc& d) { d.parts += "\n@<ConcatMuzPart/>"; }, kConcatNoFirst},
      {"loop of nothing", [](Doc& d) { d.parts = "@<LoopMuzPart>\n<Count>2</Count>\n<PartNode/>\n</LoopMuzPart>\n" + d.parts; }, kLoopNoChild},
      {"select of nothing", [](Doc& d) { d.parts = "@<SelectMuzPart>\n<PartNode/>\n</SelectMuzPart>\n" + d.parts; }, kSelectNoChild},
      {"loop count 0", [](Doc& d) { d.parts += "\n<LoopMuzPart>\n@<Count>0</Count>\n<PartNode/>\n</LoopMuzPart>"; }, Field("Loop MuzPart Count", readtext::kSignAboveZero)},
      {"loop count beyond a render", [](Doc& d) { d.parts += "\n<LoopMuzPart>\n@<Count>10001</Count>\n<PartNode/>\n</LoopMuzPart>"; }, Field("Loop MuzPart Count", AtMost(10000))},
      {"turn count 0", [](Doc& d) { d.parts += "\n<SelectMuzPart>\n<SelectMuzPartTurn>\n@<Count>0</Count>\n<PartNode/>\n</SelectMuzPartTurn>\n<PartNode/>\n</SelectMuzPart>"; }, Field("Select MuzPart Count", readtext::kSignAboveZero)},
      {"second selected node", [](Doc& d) { d.parts = Single("<PartNode><Selected/></PartNode>") + "\n" + Single("<PartNode>\n@<Selected/>\n</PartNode>") + "\n<ConcatMuzPart/>"; }, kSecondSelected},
      {"bar count 0", [](Doc& d) { d.parts = Single("<PartNode/>", "@<Count>0</Count>\n<Length>4</Length>"); }, Field("Bar Count", AtLeast(1))},
      {"bar length 3", [](Doc& d) { d.parts = Single("<PartNode/>", "<Count>4</Count>\n@<Length>3</Length>"); }, Field("Bar Length", kNoLengthKind)},
      {"bar length 132 is 4 in 8 bits", [](Doc& d) { d.parts = Single("<PartNode/>", "<Count>4</Count>\n@<Length>132</Length>"); }, Field("Bar Length", kNoLengthKind)},
      {"upbeat as long as the bar", [](Doc& d) { d.parts = Single("<PartNode/>", "<Count>4</Count>\n<Length>4</Length>\n@<CountFirstBar>4</CountFirstBar>"); }, Field("Bar CountFirstBar", AtMost(3))},
      {"negative upbeat", [](Doc& d) { d.parts = Single("<PartNode/>", "<Count>4</Count>\n<Length>4</Length>\n@<CountFirstBar>-1</CountFirstBar>"); }, Field("Bar CountFirstBar", AtLeast(0))},
      {"deeper than 1000 levels", [](Doc& d) { d.parts = Loops(999, "1") + "\n@<LoopMuzPart><Count>1</Count><PartNode/></LoopMuzPart>"; }, kNestedTooDeep},
      {"room up 29", [](Doc& d) { d.stave = "@" + d.stave.replace(8, 2, "29"); }, Field("Room Up", AtLeast(30))},
      {"colour with a prefix", [](Doc& d) { d.stave = "<RoomUp>40</RoomUp>\n<RoomDown>40</RoomDown>\n@<ForegroundColor>0x12</ForegroundColor>\n<BackgroundColor>0</BackgroundColor>"; }, Field("ForegroundColor", std::string(kInvalidHex) + "\"0x12\".")},
      {"colour with a blank", [](Doc& d) { d.stave = "<RoomUp>40</RoomUp>\n<RoomDown>40</RoomDown>\n<ForegroundColor>0</ForegroundColor>\n@<BackgroundColor>12 34</BackgroundColor>"; }, Field("BackgroundColor", std::string(kInvalidHex) + "\"12 34\".")},
      {"colour over 32 bits", [](Doc& d) { d.groupHead = "@<NoteColor>1FFFFFFFF</NoteColor>\n<NoteShapeNormal/>"; }, Field("NoteColor", std::string(kInvalidHex) + "\"1FFFFFFFF\".")},
      {"more key parts", [](Doc& d) { d.keyParts += "\n@<KeyPart>\n" + Key() + "\n</KeyPart>"; }, kMoreKeyParts},
      {"more music parts than key parts", [](Doc& d) { d.parts += "\n" + Single() + "\n<ConcatMuzPart/>"; d.keyParts = "<KeyPart>\n<Key>\n<Position>0</Position>\n@<KeyKind>G</KeyKind>\n</Key>\n</KeyPart>"; }, kMoreMusicParts},
      {"more note parts", [](Doc& d) { d.noteParts += "\n@<NotePart/>"; }, kMoreNoteParts},
      {"more music parts than note parts", [](Doc& d) { d.parts += "\n" + Single() + "\n<ConcatMuzPart/>"; d.keyParts += "\n" + d.keyParts; d.noteParts = "@<NotePart/>"; }, kMoreMusicNoteParts},
      {"key kind g", [](Doc& d) { d.keyParts = "<KeyPart>\n<Key>\n<Position>0</Position>\n@<KeyKind>g</KeyKind>\n</Key>\n</KeyPart>"; }, std::string(kKeyKindPrefix) + "\"g\"" + kKeyKindSuffix},
      {"first key after the start", [](Doc& d) { d.keyParts = "<KeyPart>\n<Key>\n@<Position>1</Position>\n<KeyKind>G</KeyKind>\n</Key>\n</KeyPart>"; }, Field("Key Position", kFirstKeyAtStart)},
      {"keys out of order", [](Doc& d) { d.keyParts = "<KeyPart>\n" + Key("0") + "\n" + Key("1") + "\n<Key>\n@<Position>1/2</Position>\n<KeyKind>G</KeyKind>\n</Key>\n</KeyPart>"; }, Field("Key Position", kKeysInOrder)},
      {"octaves up 3", [](Doc& d) { d.keyParts = "<KeyPart>\n" + Key("0", "@<OctavesUp>3</OctavesUp>\n") + "\n</KeyPart>"; }, Field("Key OctavesUp", AtMost(2))},
      {"rest triplet place 3", [](Doc& d) { d.keyParts = "<KeyPart>\n" + Key() + "\n" + kSilence + "<Triool/>\n@<PosInOol>3</PosInOol>\n</Silence>\n</KeyPart>"; }, std::string(kPosInSil) + kValueToHigh + "Triool."},
      {"plain rest at place 1", [](Doc& d) { d.keyParts = "<KeyPart>\n" + Key() + "\n" + kSilence + "@<PosInOol>1</PosInOol>\n</Silence>\n</KeyPart>"; }, std::string(kPosInSil) + kValueToHigh + "Normal Silence."},
      {"rest of length 0", [](Doc& d) { d.keyParts = "<KeyPart>\n" + Key() + "\n<Silence>\n<Position>1</Position>\n@<Length>0</Length>\n</Silence>\n</KeyPart>"; }, Field("Silence Length", kNoLengthKind)},
      {"duplet rest without a dot", [](Doc& d) { d.keyParts = "<KeyPart>\n" + Key() + "\n<Silence>\n<Position>1</Position>\n@<Length>4</Length>\n<Duool/>\n</Silence>\n</KeyPart>"; }, Field("Silence Points", AtLeast(1))},
      {"note triplet place 3", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note(kNote, "<Triool/>\n@<PosInOol>3</PosInOol>\n") + "\n</NotePart>"; }, std::string(kPosInNote) + kValueToHigh + "Triool."},
      {"plain note at place 1", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note(kNote, "@<PosInOol>1</PosInOol>\n") + "\n</NotePart>"; }, std::string(kPosInNote) + kValueToHigh + "Normal Note."},
      {"negative tuplet place", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note(kNote, "<Triool/>\n@<PosInOol>-1</PosInOol>\n") + "\n</NotePart>"; }, Field("Position in MultiOol", AtLeast(0))},
      {"note length 128", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note("<Position>0</Position>\n@<Length>128</Length>\n<Height>3</Height>") + "\n</NotePart>"; }, Field("Note Length", kNoLengthKind)},
      {"four dots", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note("<Position>0</Position>\n<Length>4</Length>\n@<Points>4</Points>\n<Height>3</Height>") + "\n</NotePart>"; }, Field("Note Points", AtMost(3))},
      {"dotted sixty-fourth", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note("<Position>0</Position>\n<Length>64</Length>\n@<Points>1</Points>\n<Height>3</Height>") + "\n</NotePart>"; }, Field("Note Points", AtMost(0))},
      {"quintuplet of 32nds", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note("<Position>0</Position>\n@<Length>32</Length>\n<Height>3</Height>", "<Kwintool/>\n") + "\n</NotePart>"; }, Field("Note Length", AtMost(16))},
      {"triplet of 64ths", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note("<Position>0</Position>\n@<Length>64</Length>\n<Height>3</Height>", "<Triool/>\n") + "\n</NotePart>"; }, Field("Note Length", AtMost(32))},
      {"quadruplet without a dot", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note("<Position>0</Position>\n@<Length>8</Length>\n<Height>3</Height>", "<Kwartool/>\n") + "\n</NotePart>"; }, Field("Note Points", AtLeast(1))},
      {"pitch 44", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note("<Position>0</Position>\n<Length>4</Length>\n@<Height>44</Height>") + "\n</NotePart>"; }, Field("Note Height", AtMost(43))},
      {"negative position", [](Doc& d) { d.noteParts = "<NotePart>\n" + Note("@<Position>-1</Position>\n<Length>4</Length>\n<Height>3</Height>") + "\n</NotePart>"; }, Field("Note Position", readtext::kSignPositive)},
      {"too long to play", [](Doc& d) { d.parts = Loops(100, "10000"); d.noteParts = "<NotePart>\n" + Note("<Position>1000000</Position>\n<Length>1</Length>\n<Height>3</Height>") + "\n</NotePart>"; d.tail = "@<UnitMuz>"; }, kMusicTooLong},
      {"7.0 read by the 7.1 grammar", [](Doc& d) { d.tail = "<Version>7.1</Version>"; }, kVersionMismatch},
      {"unknown version", [](Doc& d) { d.tail = "<Version>6.0</Version>"; }, kUnknownVersion},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.what);
    Doc doc;
    c.edit(doc);
    const bool old = std::string(c.what).rfind("7.0", 0) == 0;
    std::string marked = doc.Text(old ? "7.0" : "7.1");
    // A mark in the tail stands for the document's own first line.
    if (doc.tail == "@<UnitMuz>") marked = "@" + marked.substr(0, marked.size() - doc.tail.size());
    if (old) marked.replace(marked.find("<Version>"), 0, "@");
    std::string text = marked;
    text.erase(std::remove(text.begin(), text.end(), '@'), text.end());
    const Loaded loaded = LoadText(text);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.error, Expected(marked, c.message));
  }
}
// What a single part holds, symbol by symbol: kind, position, pitch (notes) or key kind (keys),
// accidental or length kind.
struct Symbol {
  uint8_t kind;
  double position;
  int32_t value;
  int32_t detail;
  bool operator==(const Symbol&) const = default;
};
std::vector<Symbol> SymbolsOf(TSinglePartMuz* single) {
  std::vector<Symbol> out;
  for (TStaveSymbol* s = single->GetStartStaveSymbol(); s; s = s->GetNext()) {
    if (TMuzNote* note = s->AsNote())
      out.push_back({staveSymbolNote, s->GetSymbolPosition(), note->GetPitch(), note->GetNoteShift()});
    else if (TKey* key = s->AsKey())
      out.push_back({staveSymbolKey, s->GetSymbolPosition(), key->GetKeyKind(), key->GetOctavesUp()});
    else
      out.push_back({staveSymbolSilence, s->GetSymbolPosition(), 0, s->AsTimeSymbol()->GetNoteLengthKind()});
  }
  return out;
}

TEST(MuzRead, ConvertsAVersion70FileWithItsKeysAndCarriedAccidentals) {
  const std::string file = ReadWholeFile((std::filesystem::path(__FILE__).parent_path() / "data/version70.kvm").string());
  std::string crlf;
  for (char c : file) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& text : {file, crlf}) {
    SCOPED_TRACE(text.size());
    const Loaded loaded = LoadText(text, "");
    ASSERT_TRUE(loaded.ok) << loaded.error;
    TUnitMuz& unit = *loaded.unit;
    EXPECT_EQ(unit.GetState(), kUnitStateSaved);
    EXPECT_DOUBLE_EQ(unit.GetTempo().GetValue(), 1.5);
    auto* single = dynamic_cast<TSinglePartMuz*>(unit.GetStartPartMuz()->GetPartMuz());
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->GetLabel(), TSinglePartMuz().GetLabel());  // no label of its own
    EXPECT_EQ(unit.GetSelMusTreeItem(), nullptr);
    EXPECT_EQ(unit.GetSelectedSymbol(), single->GetStartStaveSymbol());
    EXPECT_EQ(single->GetMuzBar()->GetCount(), 3);
    EXPECT_EQ(single->GetMuzBar()->GetBarLength(), 4);
    EXPECT_EQ(single->GetMuzBar()->GetCountFirstBar(), 0);
    // Height 5 under a G clef an octave down is pitch 4; the sharp on height 3 is pitch 2's step.
    const std::vector<Symbol> expected = {
        {staveSymbolKey, 0, TKey::keyKindG, -1},        {staveSymbolNote, 0, 4, noteShiftNormal},
        {staveSymbolNote, 0, 2, noteShiftKruis},        {staveSymbolNote, 0.25, 2, noteShiftNormal},
        {staveSymbolNote, 0.5, 9, noteShiftNormal},     {staveSymbolNote, 0.75, -5, noteShiftKruis},
        {staveSymbolSilence, 1.25, 0, 4}};
    EXPECT_EQ(SymbolsOf(single), expected);
    TNoteStave* stave = unit.GetStartStave();
    EXPECT_EQ(unit.GetCurStave(), stave);
    EXPECT_EQ(stave->GetNext(), nullptr);
    EXPECT_EQ(stave->GetRoomUp().GetValue(), 60);
    EXPECT_EQ(stave->GetRoomDown().GetValue(), 50);
    EXPECT_EQ(stave->GetAllowJoinFlags(), drawFlagJoin);
    EXPECT_EQ(stave->GetMute(), 0);
    EXPECT_EQ(stave->GetForeground(), 0x00FF00u);
    EXPECT_EQ(stave->GetBackground(), 0xFFFFFFu);
    TNoteGroup* group = stave->GetStartNoteGroup();
    EXPECT_EQ(stave->GetCurNoteGroup(), group);
    EXPECT_EQ(stave->GetSelectedNoteGroup(), group);
    EXPECT_EQ(group->GetNoteColor(), 0xFFu);
    EXPECT_EQ(group->GetNoteShapeKind(), noteShapeRectangle);
    EXPECT_EQ(group->GetStickKind(), drawStickDown);
    TOnePlayer* player = group->GetCompoundPlayer()->GetCurOnePlayer();
    ASSERT_EQ(player, group->GetCompoundPlayer()->GetStartOnePlayer());
    EXPECT_EQ(player->GetNotePlayerKind(), notePlayerSimpleSampler);
    EXPECT_EQ(player->GetSimpleSampler().SampleWave.GetName(), "piano");
    EXPECT_DOUBLE_EQ(player->GetSimpleSampler().BasicFreq.GetValue(), 1.0 / 440);
    EXPECT_DOUBLE_EQ(player->VolumeFactor().GetValue(), 0.5);
  }
}

TEST(MuzRead, RebuildsThePartTreeAndEveryVersion71Value) {
  Doc doc;
  doc.parts = Single("<PartNode>\n<PartLabel>A</PartLabel>\n</PartNode>",
                     "<Count>3</Count>\n<Length>8</Length>\n<CountFirstBar>1</CountFirstBar>") +
              "\n" + Single() +
              "\n<LoopMuzPart><Count>3</Count><PartNode><Selected/></PartNode></LoopMuzPart>\n<ConcatMuzPart/>"
              "\n<SelectMuzPart><SelectMuzPartTurn><Count>2</Count><Pitch>-3</Pitch><PartNode/></SelectMuzPartTurn>"
              "<SelectMuzPartTurn><Count>1</Count><PartNode><Expanded/></PartNode></SelectMuzPartTurn>"
              "<PartNode><Expanded/></PartNode></SelectMuzPart>";
  doc.stave = "<RoomUp>30</RoomUp>\n<RoomDown>90</RoomDown>\n<Mute/>\n<ExtraLines/>\n"
              "<ForegroundColor>abcdef</ForegroundColor>\n<BackgroundColor>80000000</BackgroundColor>";
  doc.keyParts = "<KeyPart>\n" + Key("0", "<KeyNoteShift><ShiftMol/><Height>10</Height></KeyNoteShift>"
                                          "<KeyNoteShift><ShiftCross/><Height>-1</Height></KeyNoteShift>") +
                 "\n" + kSilence + "<Triool/><PosInOol>2</PosInOol></Silence>\n" + Key("2") + "\n</KeyPart>\n<KeyPart>\n" +
                 "<Key><Position>0</Position><KeyKind>F</KeyKind></Key>\n</KeyPart>";
  doc.players = "<ResonantSampler><ResFactor>0.25</ResFactor><SampleWave>r</SampleWave><VolumeFactor>1</VolumeFactor>"
                "</ResonantSampler>" + doc.players;
  doc.noteParts = "<NotePart>\n" + Note(kNote) + Note(kNote, "<ShiftMol/><Duool/><PosInOol>1</PosInOol><ArtStaccato/>") +
                  "\n</NotePart>\n<NotePart>" + Note("<Position>1</Position><Length>8</Length><Points>1</Points><Height>-43</Height>",
                                                    "<ArtStaccatissimo/><NoteStickUp/>") + "</NotePart>";
  doc.noteParts.replace(doc.noteParts.find("<Length>4</Length>", doc.noteParts.find("Duool") - 60), 18, "<Length>4</Length><Points>1</Points>");
  const Loaded loaded = LoadText(doc.Text());
  ASSERT_TRUE(loaded.ok) << loaded.error;
  TUnitMuz& unit = *loaded.unit;
  auto* select = dynamic_cast<TSelectPartMuz*>(unit.GetStartPartMuz()->GetPartMuz());
  ASSERT_NE(select, nullptr);
  EXPECT_TRUE(select->GetExpanded());
  auto* turn = static_cast<TCountSelectPartItem*>(select->GetSelectPartItems()->GetNext());
  ASSERT_NE(turn, nullptr);
  EXPECT_EQ(turn->GetCount().GetValue(), 2);
  EXPECT_EQ(turn->GetPitch().GetValue(), -3);
  auto* second = static_cast<TCountSelectPartItem*>(turn->GetNext());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetPitch().GetValue(), 0);
  auto* concat = dynamic_cast<TConcatPartMuz*>(select->GetSelectPart());
  ASSERT_NE(concat, nullptr);
  auto* a = dynamic_cast<TSinglePartMuz*>(concat->GetFirstPart());
  auto* loop = dynamic_cast<TLoopPartMuz*>(concat->GetSecondPart());
  ASSERT_TRUE(a && loop);
  EXPECT_EQ(a->GetLabel(), "A");
  EXPECT_EQ(a->GetMuzBar()->GetCountFirstBar(), 1);
  EXPECT_EQ(loop->GetCount().GetValue(), 3);
  EXPECT_FALSE(loop->GetExpanded());
  EXPECT_EQ(unit.GetSelMusTreeItem(), loop);
  auto* b = dynamic_cast<TSinglePartMuz*>(loop->GetLoopPart());
  ASSERT_EQ(b, a->GetNextSinglePart());

  TNoteStave* stave = unit.GetStartStave();
  EXPECT_EQ(stave->GetAllowJoinFlags(), drawFlagSeparate);
  EXPECT_TRUE(stave->GetMute() && stave->GetExtraLines());
  EXPECT_EQ(stave->GetForeground(), 0xABCDEFu);
  EXPECT_EQ(stave->GetBackground(), 0x80000000u);
  const std::vector<Symbol> inA = {{staveSymbolKey, 0, TKey::keyKindG, 0},
                                   {staveSymbolNote, 0, 3, noteShiftNormal},
                                   {staveSymbolNote, 0, 3, noteShiftMol},
                                   {staveSymbolSilence, 1, 0, 4},
                                   {staveSymbolKey, 2, TKey::keyKindG, 0}};
  EXPECT_EQ(SymbolsOf(a), inA);
  const std::vector<Symbol> inB = {{staveSymbolKey, 0, TKey::keyKindF, 0}, {staveSymbolNote, 1, -43, noteShiftNormal}};
  EXPECT_EQ(SymbolsOf(b), inB);
  TKey* key = a->GetStartStaveSymbol()->AsKey();
  EXPECT_EQ(key->GetKeyOrder(), 1);
  EXPECT_EQ(a->GetStartStaveSymbol()->GetNext()->GetNext()->GetNext()->GetNext()->AsKey()->GetKeyOrder(), 2);
  EXPECT_EQ(key->GetNoteShift(3), noteShiftMol);
  EXPECT_EQ(key->GetNoteShift(6), noteShiftKruis);
  EXPECT_EQ(key->GetNoteShift(0), noteShiftNormal);
  auto* rest = a->GetStartStaveSymbol()->GetNext()->GetNext()->GetNext()->AsTimeSymbol();
  EXPECT_EQ(rest->GetMultiOol(), triool);
  EXPECT_EQ(rest->GetPosInOol(), 2);
  TMuzNote* staccato = a->GetStartStaveSymbol()->GetNext()->GetNext()->AsNote();
  EXPECT_EQ(staccato->GetNoteArtKind(), noteArtStaccato);
  EXPECT_EQ(staccato->GetMultiOol(), duool);
  EXPECT_EQ(staccato->GetDrawStickKind(), drawStickAuto);
  TMuzNote* last = b->GetStartStaveSymbol()->GetNext()->AsNote();
  EXPECT_EQ(last->GetNoteArtKind(), noteArtStaccatissimo);
  EXPECT_EQ(last->GetDrawStickKind(), drawStickUp);
  EXPECT_EQ(last->GetPoints(), 1);
  TCompoundPlayer* players = stave->GetStartNoteGroup()->GetCompoundPlayer();
  EXPECT_EQ(players->GetCurOnePlayer(), players->GetStartOnePlayer());
  EXPECT_EQ(players->GetStartOnePlayer()->GetNotePlayerKind(), notePlayerResonantSampler);
  EXPECT_DOUBLE_EQ(players->GetStartOnePlayer()->GetResonantSampler().ResFactor.GetValue(), 0.25);
  EXPECT_EQ(players->GetStartOnePlayer()->GetNext()->GetNotePlayerKind(), notePlayerRepeatWaveForm);
  EXPECT_EQ(players->GetStartOnePlayer()->FreqUp().GetValue(), 0);
}

TEST(MuzRead, ReportsFilesThatCannotBeOpenedOrLexed) {
  TUnitMuz missing("/nonexistent/dir/file.kvm");
  std::string error;
  EXPECT_FALSE(missing.LoadFromFile(error));
  EXPECT_EQ(error, muzreadtext::kCannotOpen);
  // A lexical error after the document still fails the load, with the tokenizer's own message.
  const std::string text = Doc().Text() + "<a>>";
  const Loaded loaded = LoadText(text);
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.error, LastXMLToken(TokensOf("\n" + text).get())->GetError());
}
std::string Saved(TUnitMuz& unit, const std::string& name) {
  static ScratchDir dir;
  const std::string path = dir.File(name);
  EXPECT_TRUE(unit.SaveToFile(path, false));
  return ReadWholeFile(path);
}
std::string TreeText(const TUnitMuz& unit) { return Shape(unit.BuildXML().get()); }

TEST(MuzRead, EveryWrittenFileReadsBackAndWritesTheSameText) {
  std::vector<std::pair<std::string, std::string>> files = {{"full 7.1 document", kHeader + Doc().Text()}};
  const auto data = std::filesystem::path(__FILE__).parent_path() / "data";
  for (const auto& entry : std::filesystem::directory_iterator(data))
    files.emplace_back(entry.path().filename().string(), ReadWholeFile(entry.path().string()));
  for (const auto& [name, text] : files) {
    SCOPED_TRACE(name);
    const Loaded first = LoadText(text, "");
    ASSERT_TRUE(first.ok) << first.error;
    const std::string written = Saved(*first.unit, "first.kvm");
    // Files of the program's own version are its own output: they come back byte for byte.
    if (text.find("<Version>7.1</Version>") != std::string::npos && name.find("golden") != std::string::npos) {
      EXPECT_EQ(written, text);
    }
    const Loaded again = LoadText(written, "");
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(Saved(*again.unit, "again.kvm"), written);

    TUnitMuz copy("NONAME1");
    std::string error;
    ASSERT_TRUE(copy.Duplicate(*first.unit, error)) << error;
    EXPECT_EQ(TreeText(copy), TreeText(*first.unit));
    EXPECT_EQ(copy.GetState(), kUnitStateNew);
    EXPECT_EQ(copy.GetSelectedSymbol(), copy.GetStartPartMuz()->GetStartSymbol());
  }
}

TEST(MuzRead, AFailedDuplicateLeavesTheSourceAsItWasAndSelectsNothing) {
  const Loaded source = LoadText(Doc().Text());
  ASSERT_TRUE(source.ok) << source.error;
  // A loop count no file may hold, as an edit could leave it, fails the copy at its element.
  auto* loop = new TLoopPartMuz(unitIntegerPosMore(20000, 0), source.unit->GetStartPartMuz()->SetPartMuz(nullptr),
                                source.unit.get());
  source.unit->GetStartPartMuz()->SetPartMuz(loop);
  const std::string before = TreeText(*source.unit);
  TUnitMuz copy("NONAME2");
  std::string error;
  EXPECT_FALSE(copy.Duplicate(*source.unit, error));
  EXPECT_EQ(error, "In Loop MuzPart Count: " + AtMost(10000) + muzread::PositionSuffix(0, 0));
  EXPECT_EQ(copy.GetState(), kUnitStateNew);
  EXPECT_EQ(copy.GetSelectedSymbol(), nullptr);
  EXPECT_EQ(copy.GetSelMusTreeItem(), nullptr);
  EXPECT_EQ(TreeText(*source.unit), before);
}
// A written file of about 1 MB: `parts` single parts in a chain of concatenations, two note groups
// with a bar's worth of notes per part each. Answers the number of notes.
int LargeFile(int parts, int notesPerPart, std::string& text) {
  Doc doc;
  doc.parts.clear();
  doc.keyParts.clear();
  std::string notes[2];
  for (int p = 0; p < parts; ++p) {
    doc.parts += Single() + (p > 0 ? "\n<ConcatMuzPart/>\n" : "\n");
    doc.keyParts += "<KeyPart>\n" + Key() + "\n</KeyPart>\n";
    for (std::string& group : notes) {
      group += "<NotePart>\n";
      for (int n = 0; n < notesPerPart; ++n)
        group += Note("<Position>" + std::to_string(n) + "</Position>\n<Length>1</Length>\n<Height>" +
                      std::to_string(n % 80 - 40) + "</Height>", "<ArtPortato/>\n") + "\n";
      group += "</NotePart>\n";
    }
  }
  doc.noteParts = notes[0] + "</NoteGroup>\n<NoteGroup>\n" + doc.groupHead + "\n<CompoundPlayer>\n" + doc.players +
                  "\n</CompoundPlayer>\n" + notes[1];
  text = doc.Text();
  return 2 * parts * notesPerPart;
}

TEST(MuzRead, ReadsAMegabyteOfNotesQuickly) {
  std::string text;
  const int notes = LargeFile(100, 55, text);
  ASSERT_GT(text.size(), 1000000u);
  const auto start = std::chrono::steady_clock::now();
  const Loaded loaded = LoadText(text);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(loaded.ok) << loaded.error;
  int read = 0;
  for (TSinglePartMuz* single = loaded.unit->GetStartPartMuz()->GetFirstSinglePart(); single;
       single = single->GetNextSinglePart())
    for (TStaveSymbol* symbol = single->GetStartStaveSymbol(); symbol; symbol = symbol->GetNext())
      read += symbol->AsNote() != nullptr;
  EXPECT_EQ(read, notes);
  RecordProperty("seconds", std::to_string(seconds));
  std::printf("read %zu bytes with %d notes in %.3f s\n", text.size(), notes, seconds);
  // Generous against a loaded or instrumented machine; a reader that grows quadratically with the
  // notes of a part takes far longer.
  EXPECT_LT(seconds, 2.0);
}
}  // namespace
