#include "music/muzread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "foundation/readers.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "tests/foundation/xml_test_util.h"

namespace {
using Edits = std::vector<std::pair<std::string, std::string>>;

const std::string kHeader = std::string(xmltext::kDeclaration) + "\n<!DOCTYPE UnitMuz SYSTEM \"UnitMuz.dtd\">\n\n";
const std::string kPart =
    "<SingleMuzPart>\n<Bar>\n<Count>4</Count>\n<Length>4</Length>\n</Bar>\n<PartNode/>\n</SingleMuzPart>\n";
const std::string kKeyPart = "<KeyPart>\n<Key>\n<Position>0</Position>\n<KeyKind>G</KeyKind>\n</Key>\n";
const std::string kNoteGroup =
    "<NoteGroup>\n<NoteColor>0</NoteColor>\n<NoteShapeNormal/>\n<CompoundPlayer>\n<RepeatWaveForm>\n"
    "<SampleWave>s</SampleWave>\n<VolumeFactor>1</VolumeFactor>\n</RepeatWaveForm>\n</CompoundPlayer>\n";
const std::string kNotePart =
    "<NotePart>\n<Note>\n<Position>0</Position>\n<Length>4</Length>\n<Height>3</Height>\n</Note>\n</NotePart>\n";
// A "7.1" document, one element per line, that the cases edit.
const std::string kDoc = "<UnitMuz>\n<Version>7.1</Version>\n<Tempo>2 s</Tempo>\n" + kPart +
                         "<Stave>\n<RoomUp>40</RoomUp>\n<RoomDown>40</RoomDown>\n<ForegroundColor>0</ForegroundColor>\n"
                         "<BackgroundColor>0</BackgroundColor>\n" +
                         kKeyPart + "<Silence>\n<Position>1</Position>\n<Length>4</Length>\n</Silence>\n</KeyPart>\n" +
                         kNoteGroup + kNotePart + "</NoteGroup>\n</Stave>\n</UnitMuz>\n";
const auto kData = std::filesystem::path(__FILE__).parent_path() / "data";

struct Loaded {
  std::unique_ptr<TUnitMuz> unit;
  bool ok;
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

// The error for a file whose faulty element has an '@' before it at the start of its line: the
// message, the file line, and the column that the tokenizer gives the element's begin tag (the
// column of its '>' counted from 1) plus one.
std::string Expected(const std::string& marked, const std::string& message) {
  const size_t at = marked.find('@');
  if (at == std::string::npos) return message;
  const std::string before = kHeader + marked.substr(0, at);
  const int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
  return message + muzread::PositionSuffix(line, static_cast<int32_t>(marked.find('>', at) - at));
}

std::string Field(const std::string& field, const std::string& message) { return "In " + field + ": " + message; }
std::string AtMost(int64_t bound) { return readtext::kRelationAtMost + std::to_string(bound) + "."; }
std::string AtLeast(int64_t bound) { return readtext::kRelationAtLeast + std::to_string(bound) + "."; }
std::string Hex(const std::string& text) { return muzreadtext::kInvalidHex + ("\"" + text + "\"."); }
std::string Loops(int count, const std::string& turns) {
  std::string loops;
  for (int i = 0; i < count; ++i) loops += "<LoopMuzPart><Count>" + turns + "</Count><PartNode/></LoopMuzPart>\n";
  return loops;
}

struct RefusedCase {
  Edits edits;  // each replaces the first `first` by `second`, in which "$" stands for `first`
  std::string message;
};
std::string TooHigh(const char* field, const char* tuplet) {
  return field + (muzreadtext::kValueToHigh + (tuplet + std::string(".")));
}

TEST(MuzRead, RefusesEveryMalformedFileWithItsTextAndPosition) {
  using namespace muzreadtext;
  const std::string noteLength = "<Length>4</Length>\n<Height>", restLength = "<Length>4</Length>\n</Silence>";
  const RefusedCase cases[] = {
      {{{"<Stave>", kPart + "@$"}}, kPartsOutsideTree},
      {{{"<SingleMuzPart>", "@<ConcatMuzPart/>\n$"}}, kConcatNoSecond},
      {{{"<Stave>", "@<ConcatMuzPart/>\n$"}}, kConcatNoFirst},
      {{{"<SingleMuzPart>", "@<LoopMuzPart><Count>2</Count><PartNode/></LoopMuzPart>\n$"}}, kLoopNoChild},
      {{{"<SingleMuzPart>", "@<SelectMuzPart><PartNode/></SelectMuzPart>\n$"}}, kSelectNoChild},
      {{{"<Stave>", "<LoopMuzPart>\n@<Count>0</Count><PartNode/></LoopMuzPart>\n$"}},
       Field("Loop MuzPart Count", readtext::kSignAboveZero)},
      {{{"<Stave>", "<LoopMuzPart>\n@<Count>10001</Count><PartNode/></LoopMuzPart>\n$"}},
       Field("Loop MuzPart Count", AtMost(10000))},
      {{{"<Stave>",
         "<SelectMuzPart><SelectMuzPartTurn>\n@<Count>0</Count><PartNode/></SelectMuzPartTurn>"
         "<PartNode/></SelectMuzPart>\n$"}},
       Field("Select MuzPart Count", readtext::kSignAboveZero)},
      {{{"<PartNode/>", "<PartNode><Selected/></PartNode>"},
        {"<Stave>", kPart + "<LoopMuzPart><Count>1</Count><PartNode>\n@<Selected/></PartNode></LoopMuzPart>\n$"}},
       kSecondSelected},
      {{{"<Count>4", "@<Count>0"}}, Field("Bar Count", AtLeast(1))},
      {{{"<Length>4</Length>\n</Bar>", "@<Length>3</Length></Bar>"}}, Field("Bar Length", kNoLengthKind)},
      {{{"</Bar>", "@<CountFirstBar>4</CountFirstBar>$"}}, Field("Bar CountFirstBar", AtMost(3))},
      {{{"<Stave>", Loops(999, "1") + "@<LoopMuzPart><Count>1</Count><PartNode/></LoopMuzPart>\n$"}}, kNestedTooDeep},
      {{{"<RoomUp>40", "@<RoomUp>29"}}, Field("Room Up", AtLeast(30))},
      {{{"<ForegroundColor>0<", "@<ForegroundColor>0x12<"}}, Field("ForegroundColor", Hex("0x12"))},
      {{{"<NoteColor>0<", "@<NoteColor>1FFFFFFFF<"}}, Field("NoteColor", Hex("1FFFFFFFF"))},
      {{{"<NoteGroup>", "@" + kKeyPart + "</KeyPart>\n$"}}, kMoreKeyParts},
      {{{"<Stave>", kPart + "<ConcatMuzPart/>\n$"}, {restLength, "@$"}}, kMoreMusicParts},
      {{{"</NoteGroup>", "@<NotePart/>\n$"}}, kMoreNoteParts},
      {{{"<Stave>", kPart + "<ConcatMuzPart/>\n$"}, {"<NoteGroup>", kKeyPart + "</KeyPart>\n$"}, {"<Height>", "@$"}},
       kMoreMusicNoteParts},
      {{{"<KeyKind>G", "@<KeyKind>g"}}, std::string(kKeyKindPrefix) + "\"g\"" + kKeyKindSuffix},
      {{{"<Position>0</Position>\n<KeyKind>", "@<Position>1</Position><KeyKind>"}},
       Field("Key Position", kFirstKeyAtStart)},
      {{{"<Silence>",
         "<Key><Position>2</Position><KeyKind>C</KeyKind></Key><Key>\n@<Position>1/2</Position>"
         "<KeyKind>F</KeyKind></Key>$"}},
       Field("Key Position", kKeysInOrder)},
      {{{"</KeyKind>", "$\n@<OctavesUp>3</OctavesUp>"}}, Field("Key OctavesUp", AtMost(2))},
      {{{"</Silence>", "@<PosInOol>1</PosInOol>$"}}, TooHigh(kPosInSil, "Normal Silence")},
      {{{restLength, "@<Length>0</Length></Silence>"}}, Field("Silence Length", kNoLengthKind)},
      {{{restLength, "@<Length>4</Length><Duool/></Silence>"}}, Field("Silence Points", AtLeast(1))},
      {{{"</Note>", "<Triool/>\n@<PosInOol>3</PosInOol>$"}}, TooHigh(kPosInNote, "Triool")},
      {{{"</Note>", "<Triool/>\n@<PosInOol>-1</PosInOol>$"}}, Field("Position in MultiOol", AtLeast(0))},
      {{{noteLength, "@<Length>128</Length><Height>"}}, Field("Note Length", kNoLengthKind)},
      {{{noteLength, "<Length>4</Length>\n@<Points>4</Points><Height>"}}, Field("Note Points", AtMost(3))},
      {{{noteLength, "@<Length>32</Length><Height>"}, {"</Note>", "<Kwintool/>$"}}, Field("Note Length", AtMost(16))},
      {{{noteLength, "@<Length>8</Length><Height>"}, {"</Note>", "<Kwartool/>$"}}, Field("Note Points", AtLeast(1))},
      {{{"<Height>3", "@<Height>44"}}, Field("Note Height", AtMost(43))},
      {{{"<Position>0</Position>\n<Length>4", "@<Position>-1</Position><Length>4"}},
       Field("Note Position", readtext::kSignPositive)},
      {{{"<UnitMuz>", "@$"},
        {"<Stave>", Loops(100, "10000") + "$"},
        {"<Position>0</Position>\n<Length>4<", "<Position>1000000</Position><Length>4<"}},
       kMusicTooLong},
      {{{"<Version>7.1", "@<Version>7.0"}, {"</UnitMuz>", "$<Version>7.1</Version>"}}, kVersionMismatch},
      {{{"<Version>7.1", "<Version>6.0"}}, kUnknownVersion},
  };
  for (const RefusedCase& c : cases) {
    std::string marked = kDoc;
    for (auto [find, replace] : c.edits) {
      for (size_t at = replace.find('$'); at != std::string::npos; at = replace.find('$')) replace.replace(at, 1, find);
      marked.replace(marked.find(find), find.size(), replace);
    }
    SCOPED_TRACE(c.message + " from " + c.edits.back().second.substr(0, 80));
    std::string text = marked;
    text.erase(std::remove(text.begin(), text.end(), '@'), text.end());
    const Loaded loaded = LoadText(text);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.error, Expected(marked, c.message));
  }
}

TEST(MuzRead, ReportsFilesThatCannotBeOpenedOrLexed) {
  TUnitMuz missing("/nonexistent/dir/file.kvm");
  std::string error;
  EXPECT_FALSE(missing.LoadFromFile(error));
  EXPECT_EQ(error, muzreadtext::kCannotOpen);
  // A lexical error after the document still fails the load, with the tokenizer's own message.
  const std::string text = kDoc + "<a>>";
  EXPECT_EQ(LoadText(text).error, LastXMLToken(TokensOf("\n" + text).get())->GetError());
}

// Kind, position, then pitch and accidental of a note, clef and octaves of a key, length of a rest.
using Symbol = std::tuple<uint8_t, double, int32_t, int32_t>;
std::vector<Symbol> SymbolsOf(TSinglePartMuz* single) {
  std::vector<Symbol> out;
  for (TStaveSymbol* s = single->GetStartStaveSymbol(); s; s = s->GetNext()) {
    const uint8_t kind = s->GetStaveSymbolKind();
    if (TMuzNote* note = s->AsNote())
      out.emplace_back(kind, s->GetSymbolPosition(), note->GetPitch(), note->GetNoteShift());
    else if (TKey* key = s->AsKey())
      out.emplace_back(kind, s->GetSymbolPosition(), key->GetKeyKind(), key->GetOctavesUp());
    else
      out.emplace_back(kind, s->GetSymbolPosition(), 0, s->AsTimeSymbol()->GetNoteLengthKind());
  }
  return out;
}

TEST(MuzRead, ConvertsAVersion70FileWithItsKeysAndCarriedAccidentals) {
  const std::string file = ReadWholeFile((kData / "version70.kvm").string());
  std::string crlf;
  for (char c : file) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& text : {file, crlf}) {
    const Loaded loaded = LoadText(text, "");
    ASSERT_TRUE(loaded.ok) << loaded.error;
    auto* single = dynamic_cast<TSinglePartMuz*>(loaded.unit->GetStartPartMuz()->GetPartMuz());
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(loaded.unit->GetSelMusTreeItem(), nullptr);
    EXPECT_EQ(std::tuple(single->GetMuzBar()->GetCount(), single->GetMuzBar()->GetCountFirstBar()), std::tuple(3, 0));
    // Height 5 under a G clef an octave down is pitch 4; the sharp on height 3 is on pitch 2's
    // step, which the natural at 1/4 cancels up to the bar line at 3/4.
    const std::vector<Symbol> expected = {{staveSymbolKey, 0, TKey::keyKindG, -1},
                                          {staveSymbolNote, 0, 4, noteShiftNormal},
                                          {staveSymbolNote, 0, 2, noteShiftKruis},
                                          {staveSymbolNote, 0.25, 2, noteShiftNormal},
                                          {staveSymbolNote, 0.5, 9, noteShiftNormal},
                                          {staveSymbolNote, 0.75, -5, noteShiftKruis},
                                          {staveSymbolSilence, 1.25, 0, 4}};
    EXPECT_EQ(SymbolsOf(single), expected);
    const TNoteStave* stave = loaded.unit->GetStartStave();
    EXPECT_EQ(std::tuple(stave->GetAllowJoinFlags(), stave->GetForeground()), std::tuple(drawFlagJoin, 0x00FF00u));
  }
}

std::string Saved(TUnitMuz& unit, const std::string& name) {
  static ScratchDir dir;
  EXPECT_TRUE(unit.SaveToFile(dir.File(name), false));
  return ReadWholeFile(dir.File(name));
}
std::string TreeText(const TUnitMuz& unit) { return Shape(unit.BuildXML().get()); }

TEST(MuzRead, EveryWrittenFileReadsBackToTheSameTextAndDuplicatesWhole) {
  for (const auto& entry : std::filesystem::directory_iterator(kData)) {
    SCOPED_TRACE(entry.path().filename().string());
    const std::string text = ReadWholeFile(entry.path().string());
    const Loaded first = LoadText(text, "");
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_EQ(std::pair(first.unit->GetState(), first.unit->GetSelectedSymbol()),
              std::pair(kUnitStateSaved, static_cast<TXTouchMuzSymbol*>(first.unit->GetStartPartMuz()->GetStartSymbol())));
    const std::string written = Saved(*first.unit, "first.kvm");
    // Files of the program's own version are its own output: they come back byte for byte.
    if (text.find("<Version>7.1</Version>") != std::string::npos) {
      EXPECT_EQ(written, text);
    }
    const Loaded again = LoadText(written, "");
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(Saved(*again.unit, "again.kvm"), written);

    TUnitMuz copy("NONAME1");
    std::string error;
    ASSERT_TRUE(copy.Duplicate(*first.unit, error)) << error;
    EXPECT_EQ(TreeText(copy), TreeText(*first.unit));
    EXPECT_EQ(std::pair(copy.GetState(), copy.GetSelectedSymbol()),
              std::pair(kUnitStateNew, static_cast<TXTouchMuzSymbol*>(copy.GetStartPartMuz()->GetStartSymbol())));
  }
}

// Edit mode may give a sixty-fourth three dots; the file it saves must open again.
TEST(MuzRead, ReadsTheDotsEditModeCanGiveAnyLength) {
  std::string body = kDoc;
  body.replace(body.find("<Length>4</Length>\n<Height>"), 27, "<Length>64</Length>\n<Points>3</Points>\n<Height>");
  const Loaded loaded = LoadText(body);
  ASSERT_TRUE(loaded.ok) << loaded.error;
  TStaveSymbol* note = nullptr;
  for (TStaveSymbol* s = loaded.unit->GetStartPartMuz()->GetFirstSinglePart()->GetStartStaveSymbol(); s; s = s->GetNext())
    if (s->AsNote()) note = s;
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->AsTimeSymbol()->GetPoints(), 3);
}

TEST(MuzRead, SetsWhatTheFileDoesNotSpellOut) {
  const Loaded loaded = LoadText(ReadWholeFile((kData / "tree71.kvm").string()), "");
  ASSERT_TRUE(loaded.ok) << loaded.error;
  TUnitMuz& unit = *loaded.unit;
  auto* select = static_cast<TSelectPartMuz*>(unit.GetStartPartMuz()->GetPartMuz());
  auto* concat = static_cast<TConcatPartMuz*>(select->GetSelectPart());
  EXPECT_EQ(unit.GetSelMusTreeItem(), concat->GetSecondPart());
  for (TNoteStave* stave = unit.GetStartStave(); stave; stave = stave->GetNext()) {
    TCompoundPlayer* players = stave->GetStartNoteGroup()->GetCompoundPlayer();
    EXPECT_EQ(std::tuple(stave->GetCurNoteGroup(), stave->GetSelectedNoteGroup(), players->GetCurOnePlayer()),
              std::tuple(stave->GetStartNoteGroup(), stave->GetStartNoteGroup(), players->GetStartOnePlayer()));
  }
  EXPECT_EQ(unit.GetCurStave(), unit.GetStartStave());
  // Order numbers count the keys of one key part from 1, whatever rests stand between them.
  std::vector<int32_t> orders;
  for (TStaveSymbol* s = unit.GetStartPartMuz()->GetFirstSinglePart()->GetStartStaveSymbol(); s; s = s->GetNext())
    if (s->AsKey() && s->GetNoteStave() == unit.GetStartStave()) orders.push_back(s->AsKey()->GetKeyOrder());
  EXPECT_EQ(orders, (std::vector<int32_t>{1, 2}));
}

TEST(MuzRead, AFailedDuplicateLeavesTheSourceAsItWasAndSelectsNothing) {
  const Loaded source = LoadText(kDoc);
  ASSERT_TRUE(source.ok) << source.error;
  // A loop count no file may hold, as an edit could leave it, fails the copy at its element.
  TStartPartMuz* root = source.unit->GetStartPartMuz();
  root->SetPartMuz(new TLoopPartMuz(unitIntegerPosMore(20000, 0), root->SetPartMuz(nullptr), source.unit.get()));
  const std::string before = TreeText(*source.unit);
  TUnitMuz copy("NONAME2");
  std::string error;
  EXPECT_FALSE(copy.Duplicate(*source.unit, error));
  EXPECT_EQ(error, Field("Loop MuzPart Count", AtMost(10000)) + muzread::PositionSuffix(0, 0));
  EXPECT_EQ(std::pair(copy.GetState(), copy.GetSelectedSymbol()), std::pair(kUnitStateNew, static_cast<TXTouchMuzSymbol*>(nullptr)));
  EXPECT_EQ(TreeText(*source.unit), before);
}

TEST(MuzRead, ReadsAMegabyteOfNotesQuickly) {
  // 100 single parts in a chain of concatenations, two groups of 55 notes in each.
  std::string parts = kPart, keyParts, notes[2];
  for (int p = 0; p < 100; ++p) {
    if (p > 0) parts += kPart + "<ConcatMuzPart/>\n";
    keyParts += kKeyPart + "</KeyPart>\n";
    for (std::string& group : notes) {
      group += "<NotePart>\n";
      for (int n = 0; n < 55; ++n)
        group += "<Note>\n<Position>" + std::to_string(n) + "</Position>\n<Length>1</Length>\n<Height>" +
                 std::to_string(n % 80 - 40) + "</Height>\n<ArtPortato/>\n</Note>\n";
      group += "</NotePart>\n";
    }
  }
  std::string text = kDoc;
  text.replace(text.find("<Stave>"), 0, parts.substr(kPart.size()));
  text.replace(text.find("<KeyPart>"), text.find("<NoteGroup>") - text.find("<KeyPart>"), keyParts);
  text.replace(text.find("<NotePart>"), kNotePart.size(), notes[0] + "</NoteGroup>\n" + kNoteGroup + notes[1]);
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
  EXPECT_EQ(read, 11000);
  std::printf("read %zu bytes with %d notes in %.3f s\n", text.size(), read, seconds);
}
}  // namespace
