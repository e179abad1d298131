// The music file as written: golden files of whole documents, the part tree's order, numbers
// and colours that read back unchanged, and a save that fails without harming the old file.
#include "music/muzwrite.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/readers.h"
#include "tests/foundation/xml_test_util.h"
#include "tests/music/score_builder.h"

namespace {
const std::filesystem::path kData = std::filesystem::path(__FILE__).parent_path() / "data";

std::string Saved(TUnitMuz& unit) {
  ScratchDir dir;
  const std::string file = dir.File("score.kvm");
  EXPECT_TRUE(unit.SaveToFile(file, false));
  return ReadWholeFile(file);
}

// Every element kind of the file in one document.
void RichDocument(ScoreBuilder& s) {
  TUnitMuz& unit = s.unit;
  TSinglePartMuz* a = s.Single();
  auto* b = new TSinglePartMuz(&unit);
  new TMuzBar(b, 8, 6, 2);
  b->AddStartKeys();
  a->SetLabel("Intro & <coda>");
  TLoopPartMuz* loop = s.Loop(2, a);
  loop->SetLabel("   ");
  TSelectPartMuz* select = s.Select(b, {2});
  select->SetExpanded(false);
  unit.SetSelMusTreeItem(select->AddTurnItem(Turns(1), Semitones(-3)));
  s.Root(s.Concat(loop, select));

  TNoteStave* second = unit.AddDefaultStave(s.stave);
  second->SetMute(true);
  second->SetExtraLines(true);
  second->SetAllowJoinFlags(drawFlagSeparate);
  second->SetForeground(0xFF102030);
  second->SetBackground(0x0A0B0C);

  auto player = std::make_unique<TCompoundPlayer>(&unit);
  for (int kind = 4; kind >= 0; --kind) {  // each goes first
    auto one = std::make_unique<TOnePlayer>(player.get(), unitVolumeFactor(0.5 + kind, kUnitNone),
                                            unitFreq(kind * 10.0, kUnitHertz));
    const unitUnitWave wave("wave" + std::to_string(kind));
    const unitTimePosMore basicFreq(1.0 / 220, kUnitHertz);
    if (kind == 0) one->SetSimpleSampler({wave, basicFreq});
    if (kind == 1) one->SetResonantSampler({wave, unitFactorPosMax1(0.25, kUnitNone)});
    if (kind == 2) one->SetRepeatWaveForm({wave});
    if (kind == 3) one->SetRollOutSampler({wave, basicFreq});
    if (kind == 4) one->SetRollOutWaveForm({wave});
    player->InsertAfter(nullptr, std::move(one));
  }
  auto* group = new TNoteGroup(s.stave, std::move(player), 0xFF00AA55, noteShapeRectangle, drawStickDown);
  s.stave->InsertNoteGroup(s.group, group);

  TKey* startKey = a->GetKeyAt(0, s.stave);
  startKey->SetNoteShift(4, noteShiftKruis);
  startKey->SetNoteShift(1, noteShiftKruis);
  unit.AddXMLKey(second, 2, -1, TKey::keyKindF, 2, a)->SetNoteShift(6, noteShiftMol);
  unit.AddXMLSilence(s.stave, 0.5, 8, 1, triool, 1, a);
  unit.AddXMLNote(s.stave, 0, 4, 0, 0, s.group, noteShiftNormal, sool, 0, noteArtNormal, a, drawStickAuto);
  unit.AddXMLNote(s.stave, 100.015625, 16, 2, 5, s.group, noteShiftMol, sool, 0, noteArtStaccato, a, drawStickDown);
  unit.AddXMLNote(s.stave, 1234.00048828125, 4, 0, -43, s.group, noteShiftNone, sool, 0, noteArtNormal, a,
                  drawStickAuto);
  unit.AddXMLNote(s.stave, 1, 16, 0, -10, group, noteShiftDubbelKruis, kwintool, 4, noteArtLegato, a, drawStickUp);
  unit.AddXMLNote(s.stave, 1.5, 8, 1, 3, group, noteShiftKruis, kwartool, 0, noteArtPortato, b, drawStickAuto);
  unit.AddXMLNote(second, 0.25, 8, 1, 12, second->GetStartNoteGroup(), noteShiftDubbelMol, duool, 1,
                  noteArtStaccatissimo, b, drawStickAuto);
}

void ExpectGoldenFile(TUnitMuz& unit, const std::string& name) {
  const std::string expected = ReadWholeFile((kData / name).string());
  ASSERT_FALSE(expected.empty());
  const std::string written = Saved(unit);
  EXPECT_EQ(written, expected);
  // The text as written, for a look at what changed.
  if (written != expected) std::ofstream(testing::TempDir() + name, std::ios::binary) << written;
}

TEST(MuzFile, DocumentsAreWrittenAsTheirGoldenFiles) {
  TUnitMuz unit("new.kvm");
  unit.InitNew();
  ExpectGoldenFile(unit, "new_document.kvm");
  ScoreBuilder s;  // concat(loop(A), select(B)) with every element kind
  RichDocument(s);
  ExpectGoldenFile(s.unit, "every_element.kvm");
}

// Beyond what the golden files hold.
TEST(MuzFile, NumbersAndColoursReadBackUnchanged) {
  const struct {
    double position;
    const char* text;  // null: only the value must survive
  } positions[] = {{0, "0"}, {0.0078125, nullptr}, {300 + 3.0 / 1024, nullptr}, {2527233, nullptr}};
  for (const auto& p : positions) {
    SCOPED_TRACE(p.position);
    const std::string text = MuzPositionText(p.position);
    if (p.text != nullptr) {
      EXPECT_EQ(text, p.text);
    }
    unitFactorPos read(0, kUnitNone);
    std::string error;
    ASSERT_TRUE(read.Read(text, "Position", error)) << error;
    EXPECT_EQ(read.GetValue(), p.position) << text;
  }
  EXPECT_EQ(MuzColourText(0x1000000), "1000000");
}

TEST(MuzFile, KeyPartLeadsWithTheKeyWhenARestStandsEarlier) {
  ScoreBuilder s;
  auto* single = new TSinglePartMuz(&s.unit);
  new TMuzBar(single, 4, 4, 0);
  s.Root(single);
  s.unit.AddXMLSilence(s.stave, 0, 4, 0, sool, 0, single);
  s.unit.AddXMLKey(s.stave, 0.5, 0, TKey::keyKindC, 1, single);
  EXPECT_EQ(Shape(single->WriteKeyPart(s.stave).get()),
            "KeyPart(Key(Position=0.5,KeyKind=C),Silence(Position=0,Length=4))");
}

}  // namespace
