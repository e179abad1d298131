#include "music/muzread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include "foundation/readers.h"
#include "music/PartMuz.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "tests/foundation/xml_test_util.h"
#include "tests/music/score_builder.h"

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
      {{{"<Stave>", Loops(999, "1") + "@<LoopMuzPart><Count>1</Count><PartNode/></LoopMuzPart>\n$"}},
       muztree::kNestedTooDeep},
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
      {{{"<Position>0</Position>\n<Length>4", "@<Position>1000001</Position><Length>4"}},
       Field("Note Position", AtMost(static_cast<int64_t>(kMaxPosition)))},
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
  const Loaded loaded = LoadText(ReadWholeFile((kData / "version70.kvm").string()), "");
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
    // With CRLF line ends, and a label broken over two lines, the file reads as it does with LF.
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    if (const size_t label = crlf.find("two lines"); label != std::string::npos) crlf.replace(label + 3, 1, "\r\n");
    const Loaded fromCrlf = LoadText(crlf, "");
    ASSERT_TRUE(fromCrlf.ok) << fromCrlf.error;
    EXPECT_EQ(Saved(*fromCrlf.unit, "crlf.kvm"), written);

    TUnitMuz copy("NONAME1");
    std::string error;
    ASSERT_TRUE(copy.Duplicate(*first.unit, error)) << error;
    EXPECT_EQ(TreeText(copy), TreeText(*first.unit));
    EXPECT_EQ(std::pair(copy.GetState(), copy.GetSelectedSymbol()),
              std::pair(kUnitStateNew, static_cast<TXTouchMuzSymbol*>(copy.GetStartPartMuz()->GetStartSymbol())));
  }
}

// A document with every kind of numeric field the editor sets: the tempo, a stave's rooms, a loop,
// a select part's turn, a simple and a resonant sampler, and a bar.
struct FieldDoc : ScoreBuilder {
  TSinglePartMuz* single = Single({{0.0, 4}});
  TSelectPartMuz* select = Select(single, {1});
  TLoopPartMuz* loop = Loop(2, select);
  TCountSelectPartItem* turn = static_cast<TCountSelectPartItem*>(select->GetSelectPartItems()->GetNext());
  TOnePlayer* simple = group->GetCompoundPlayer()->GetStartOnePlayer();
  TOnePlayer* resonant = nullptr;
  FieldDoc() {
    Root(loop);
    auto player = std::make_unique<TOnePlayer>(group->GetCompoundPlayer(), unitVolumeFactor(1, kUnitNone),
                                               unitFreq(0, kUnitKiloHertz));
    resonant = player.get();
    resonant->SetResonantSampler({});
    group->GetCompoundPlayer()->InsertAfter(simple, std::move(player));
  }
};

// Reads `text` into `value` as the dialogs' fields do: a refused text leaves the value as it was.
bool Takes(unit& value, const std::string& text) {
  std::string error;
  return value.Read(text, "Field", error);
}
// The same for a value the dialog reads into a copy and hands on with its setter.
template <class Value, class Set>
bool TakesCopy(Value value, const std::string& text, Set set) {
  if (!Takes(value, text)) return false;
  set(value);
  return true;
}

// A field of the music dialogs: its least and greatest texts, the units a random text may use,
// and how the dialog stores a text it takes.
struct DialogField {
  const char* name;
  std::string least, greatest;
  std::vector<std::string> units;
  bool anySign;
  std::function<bool(FieldDoc&, const std::string&)> set;
};

std::string RandomNumber(std::mt19937& rng, const DialogField& field) {
  const auto digits = [&rng](int most) {
    std::string text(1 + rng() % static_cast<unsigned>(most), '0');
    for (char& c : text) c = static_cast<char>('0' + rng() % 10);
    return text;
  };
  std::string text = field.anySign && rng() % 2 ? "-" : "";
  text += digits(10);
  if (!field.units.empty() && rng() % 2) text += "." + digits(10);
  if (!field.units.empty()) text += " " + field.units[rng() % field.units.size()];
  return text;
}

// Whatever a dialog field, the bar keys or a command lets a user store, the file keeps it: every
// field at its least, its greatest and random accepted values, saved, opened and saved again,
// gives the same text byte for byte.
TEST(MuzRead, EveryValueTheEditorTakesIsSavedAndReadBackToTheSameText) {
  const std::vector<std::string> times = {"s", "ms", "Hz", "kHz"};
  const std::vector<DialogField> fields = {
      {"Tempo", "9999999999 kHz", "0.0000000001 Hz", times, false,
       [](FieldDoc& d, const std::string& t) { return Takes(d.unit.GetTempo(), t); }},
      {"Room Up", "30", "2147483647", {}, false,
       [](FieldDoc& d, const std::string& t) { return Takes(d.stave->GetRoomUp(), t); }},
      {"Room Down", "30", "2147483647", {}, false,
       [](FieldDoc& d, const std::string& t) { return Takes(d.stave->GetRoomDown(), t); }},
      {"Loop Count", "1", "2147483647", {}, false,
       [](FieldDoc& d, const std::string& t) {
         return TakesCopy(d.loop->GetCount(), t, [&](auto& v) { d.loop->SetCount(v); });
       }},
      {"Turn Count", "1", "2147483647", {}, false,
       [](FieldDoc& d, const std::string& t) {
         return TakesCopy(d.turn->GetCount(), t, [&](auto& v) { d.turn->SetCount(v); });
       }},
      {"Turn Pitch", "-2147483648", "2147483647", {}, true,
       [](FieldDoc& d, const std::string& t) {
         return TakesCopy(d.turn->GetPitch(), t, [&](auto& v) { d.turn->SetPitch(v); });
       }},
      {"VolumeFactor", "-9999999999", "6000 dB", {"%", "dB"}, true,
       [](FieldDoc& d, const std::string& t) { return Takes(d.simple->VolumeFactor(), t); }},
      {"FreqUp", "-9999999999 kHz", "9999999999 kHz", {"Hz", "kHz"}, true,
       [](FieldDoc& d, const std::string& t) { return Takes(d.resonant->FreqUp(), t); }},
      {"BasicFreq", "9999999999 kHz", "0.0000000001 Hz", times, false,
       [](FieldDoc& d, const std::string& t) {
         TSimpleSamplerProps props = d.simple->GetSimpleSampler();
         return Takes(props.BasicFreq, t) && d.simple->SetSimpleSampler(props);
       }},
      {"ResFactor", "0", "1", {"%"}, false,
       [](FieldDoc& d, const std::string& t) {
         TResonantSamplerProps props = d.resonant->GetResonantSampler();
         return Takes(props.ResFactor, t) && d.resonant->SetResonantSampler(props);
       }},
  };
  for (uint32_t seed = 0; seed < 40; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    FieldDoc doc;
    for (const DialogField& field : fields) {
      // Seed 0 takes every least, seed 1 every greatest; the others mix them with random values.
      const unsigned choice = seed < 2 ? seed : rng() % 3;
      bool taken = field.set(doc, choice == 0 ? field.least : field.greatest);
      ASSERT_TRUE(taken) << field.name;
      for (int attempt = 0; choice == 2 && attempt < 20; ++attempt) {
        const std::string text = RandomNumber(rng, field);
        if (field.set(doc, text)) break;
      }
    }
    // The bar through its keys: beats from 1 to 99 and every beat kind.
    doc.unit.SetModeEdit();
    doc.unit.SetSelectedSymbol(doc.single->GetMuzBar());
    for (int32_t beats = static_cast<int32_t>(rng() % 120); beats > 0 && doc.unit.CanAddPoint(); --beats)
      doc.unit.AddPoint();
    for (int32_t beats = static_cast<int32_t>(rng() % 40); beats > 0 && doc.unit.CanDeletePoint(); --beats)
      doc.unit.DeletePoint();
    doc.unit.SetNoteLength(1 << (rng() % 7));
    const std::string written = Saved(doc.unit, "fields.kvm");
    const Loaded loaded = LoadText(written, "");
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_EQ(Saved(*loaded.unit, "again.kvm"), written);
  }
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
  // A nesting no file may hold, built past the editor's checks, fails the copy at its element.
  TStartPartMuz* root = source.unit->GetStartPartMuz();
  for (int32_t level = 0; level < muztree::kMaxPartDepth; ++level)
    root->SetPartMuz(new TLoopPartMuz(unitIntegerPosMore(1, 0), root->SetPartMuz(nullptr), source.unit.get()));
  const std::string before = TreeText(*source.unit);
  TUnitMuz copy("NONAME2");
  std::string error;
  EXPECT_FALSE(copy.Duplicate(*source.unit, error));
  EXPECT_EQ(error, muztree::kNestedTooDeep + muzread::PositionSuffix(0, 0));
  EXPECT_EQ(std::pair(copy.GetState(), copy.GetSelectedSymbol()), std::pair(kUnitStateNew, static_cast<TXTouchMuzSymbol*>(nullptr)));
  EXPECT_EQ(TreeText(*source.unit), before);
}

// Each symbol goes in before those it ties with, the rests and the notes of a group last first:
// a chord spread over two groups, a rest beside notes at its place and equal pitches in two groups
// stand as they always have, and so the file that is written reads back to the same order.
TEST(MuzRead, PlacesTiesAndChordsOfTwoGroupsInTheOrderTheyHaveAlwaysHad) {
  const auto note = [](const char* position, int height) {
    return "<Note>\n<Position>" + std::string(position) + "</Position>\n<Length>4</Length>\n<Height>" +
           std::to_string(height) + "</Height>\n</Note>\n";
  };
  const auto group = [](const std::string& notes) { return kNoteGroup + "<NotePart>\n" + notes + "</NotePart>\n</NoteGroup>\n"; };
  std::string text = kHeader + kDoc;
  const size_t groups = text.find("<NoteGroup>");
  text.replace(groups, text.find("</Stave>") - groups,
               group(note("0", 5) + note("0", 2) + note("0.5", 1)) + group(note("0", 2) + note("0", 7) + note("0.5", 1)));
  text.replace(text.find("<Position>1</Position>"), 22, "<Position>0</Position>\n<Length>4</Length>\n</Silence>\n"
               "<Silence>\n<Position>0.5</Position>");
  const auto order = [](const TUnitMuz& unit) {
    std::vector<std::string> out;
    const TNoteGroup* first = unit.GetStartStave()->GetStartNoteGroup();
    for (TStaveSymbol* s = unit.GetStartPartMuz()->GetFirstSinglePart()->GetStartStaveSymbol(); s; s = s->GetNext()) {
      const TMuzNote* note = s->AsNote();
      std::string name = s->AsKey() ? "K" : note == nullptr ? "R" : note->GetNoteGroup() == first ? "A" : "B";
      if (note != nullptr) name += std::to_string(note->GetPitch());
      out.push_back(name + "@" + std::to_string(s->GetSymbolPosition()).substr(0, 3));
    }
    return out;
  };
  const std::vector<std::string> expected = {"K@0.0", "B7@0.0", "A5@0.0", "B2@0.0", "A2@0.0",
                                             "R@0.0", "B1@0.5", "A1@0.5", "R@0.5"};
  TUnitMuz first("first.kvm");
  std::string error;
  ASSERT_TRUE(first.LoadFromMemory(text.data(), text.size(), error)) << error;
  EXPECT_EQ(order(first), expected);
  const std::string written = first.SaveToMemory();
  TUnitMuz again("again.kvm");
  ASSERT_TRUE(again.LoadFromMemory(written.data(), written.size(), error)) << error;
  EXPECT_EQ(order(again), expected);
  EXPECT_EQ(again.SaveToMemory(), written);
  EXPECT_EQ(Saved(again, "again.kvm"), written);
}

// Work, not time: the symbols passed while placing the notes of a score twice as long are about
// twice as many. A search from the head for every note would pass four times as many.
TEST(MuzRead, PlacingTheSymbolsOfAScoreTwiceAsLongTakesTwiceTheSteps) {
  const std::string staveHead = kDoc.substr(kDoc.find("<Stave>"), kDoc.find("<KeyPart>") - kDoc.find("<Stave>"));
  const auto score = [&](int bars) {
    std::string staves;
    for (int s = 0; s < 4; ++s) {
      std::string rests, chords, others;
      const auto symbol = [](const char* kind, double position, int height) {
        std::string text = std::string("<") + kind + ">\n<Position>" + std::to_string(position) +
                           "</Position>\n<Length>4</Length>\n";
        if (height != 99) text += "<Height>" + std::to_string(height) + "</Height>\n";
        return text + "</" + kind + ">\n";
      };
      for (int bar = 0; bar < bars; ++bar) {
        rests += symbol("Silence", bar + 0.5, 99);
        chords += symbol("Note", bar, 4) + symbol("Note", bar, 1) + symbol("Note", bar + 0.5, 0);
        others += symbol("Note", bar, 1) + symbol("Note", bar + 0.75, s);
      }
      staves += staveHead + kKeyPart + rests + "</KeyPart>\n" + kNoteGroup + "<NotePart>\n" + chords +
                "</NotePart>\n</NoteGroup>\n" + kNoteGroup + "<NotePart>\n" + others + "</NotePart>\n</NoteGroup>\n</Stave>\n";
    }
    return kHeader + kDoc.substr(0, kDoc.find("<Stave>")) + staves + "</UnitMuz>\n";
  };
  int64_t steps[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const std::string text = score(200 << i);
    TUnitMuz unit("score.kvm");
    std::string error;
    ASSERT_TRUE(unit.LoadFromMemory(text.data(), text.size(), error)) << error;
    steps[i] = unit.GetReadSteps();
  }
  EXPECT_GT(steps[0], 4 * 200);
  EXPECT_LT(steps[1], 2.2 * static_cast<double>(steps[0]));
}
}  // namespace
