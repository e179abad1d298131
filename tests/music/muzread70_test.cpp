// A "7.0" note without its own accidental takes the key and the accidental that the walk from the
// head of its part finds over the symbols read before it. Varied "7.0" files are read, and the same
// music is rebuilt note by note as that walk (GetKeyAt, GetNoteShiftAt) places it: both documents
// must hold the same notes and write the same text.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "music/PartMuz.h"
#include "music/flags.h"
#include "music/muznote.h"
#include "music/noteplay.h"
#include "music/stave.h"
#include "music/unitmuz.h"
#include "tests/foundation/xml_test_util.h"

namespace {
const std::string kHead = std::string(xmltext::kDeclaration) + "\n<!DOCTYPE UnitMuz SYSTEM \"UnitMuz.dtd\">\n\n";
const char* const kShifts[] = {"ShiftDoubleCross", "ShiftCross", "ShiftNormal", "ShiftMol", "ShiftDoubleMol"};

struct Note {
  int eighths;
  int height;
  int shift;  // an index into kShifts, or -1 for none
};
using Group = std::vector<Note>;
struct Stave {
  std::string keysAndRests;
  std::vector<Group> groups;
};
struct Score {
  std::string bar;
  std::vector<Stave> staves;
};

std::string Text(const Score& score, bool withNotes) {
  std::ostringstream out;
  out << kHead << "<UnitMuz>\n<Version>7.0</Version>\n<Tempo>1 s</Tempo>\n" << score.bar;
  for (const Stave& stave : score.staves) {
    out << "<Stave>\n<RoomUp>40</RoomUp>\n<RoomDown>40</RoomDown>\n<ForegroundColor>0</ForegroundColor>\n"
           "<BackgroundColor>0</BackgroundColor>\n"
        << stave.keysAndRests;
    for (const Group& group : stave.groups) {
      out << "<NoteGroup>\n<NoteColor>0</NoteColor>\n<NoteShapeNormal/>\n<CompoundPlayer>\n<RepeatWaveForm>\n"
             "<SampleWave>s</SampleWave>\n<VolumeFactor>1</VolumeFactor>\n</RepeatWaveForm>\n</CompoundPlayer>\n";
      for (const Note& note : group) {
        if (!withNotes) break;
        out << "<Note>\n<Position>" << note.eighths << "/8</Position>\n<Length>8</Length>\n<Height>" << note.height
            << "</Height>\n";
        if (note.shift >= 0) out << "<" << kShifts[note.shift] << "/>\n";
        out << "</Note>\n";
      }
      out << "</NoteGroup>\n";
    }
    out << "</Stave>\n";
  }
  out << "</UnitMuz>\n";
  return out.str();
}

// Bars of 2 to 4 quarters or eighths; keys with their own accidentals, some at the
// time of a note or of another key; rests between; groups whose notes mostly go forward in time,
// with chords, steps back and a second group over the first.
Score RandomScore(std::mt19937& random) {
  const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  Score score;
  const int count = pick(2, 4);
  score.bar = "<Bar>\n<Count>" + std::to_string(count) + "</Count>\n<Length>" + (pick(0, 1) ? "4" : "8") +
              "</Length>\n</Bar>\n";
  for (int s = pick(1, 3); s > 0; --s) {
    Stave stave;
    int keyAt = 0;
    for (int k = pick(1, 4); k > 0; --k) {
      stave.keysAndRests += "<Key>\n<Position>" + std::to_string(keyAt) + "/8</Position>\n<KeyKind>" +
                            "CGF"[pick(0, 2)] + "</KeyKind>\n<OctavesUp>" + std::to_string(pick(-1, 1)) + "</OctavesUp>\n";
      for (int n = pick(0, 3); n > 0; --n)
        stave.keysAndRests += std::string("<KeyNoteShift>\n<") + (pick(0, 1) ? "ShiftCross" : "ShiftMol") +
                              "/>\n<Height>" + std::to_string(pick(-3, 9)) + "</Height>\n</KeyNoteShift>\n";
      stave.keysAndRests += "</Key>\n";
      if (pick(0, 1)) stave.keysAndRests += "<Silence>\n<Position>" + std::to_string(pick(0, 40)) + "/8</Position>\n<Length>8</Length>\n</Silence>\n";
      keyAt += pick(0, 12);
    }
    for (int g = pick(1, 2); g > 0; --g) {
      Group group;
      int at = pick(0, 3);
      for (int n = pick(0, 30); n > 0; --n) {
        group.push_back({at, pick(-2, 5), pick(0, 2) == 0 ? pick(0, 4) : -1});
        const int step = pick(0, 9);
        at = step == 0 ? std::max(0, at - pick(1, 6)) : step < 3 ? at : at + pick(1, 3);
      }
      stave.groups.push_back(group);
    }
    score.staves.push_back(stave);
  }
  return score;
}
}  // namespace

TEST(MuzRead70, NotesTakeTheKeyAndAccidentalTheWalkOverTheSymbolsReadBeforeThemGives) {
  std::mt19937 random(70);
  ScratchDir dir;
  int takenFromTheWalk = 0;
  for (int round = 0; round < 300; ++round) {
    const Score score = RandomScore(random);
    SCOPED_TRACE(Text(score, true));
    const std::string path = dir.File("score.kvm");
    std::ofstream(path, std::ios::binary) << Text(score, true);
    TUnitMuz read(path);
    std::string error;
    ASSERT_TRUE(read.LoadFromFile(error)) << error;

    std::ofstream(path, std::ios::binary) << Text(score, false);
    TUnitMuz walked(path);
    ASSERT_TRUE(walked.LoadFromFile(error)) << error;
    TSinglePartMuz* single = walked.GetStartPartMuz()->GetFirstSinglePart();
    TNoteStave* stave = walked.GetStartStave();
    for (const Stave& staveNotes : score.staves) {
      TNoteGroup* group = stave->GetStartNoteGroup();
      for (const Group& notes : staveNotes.groups) {
        for (const Note& note : notes) {
          const double time = note.eighths / 8.0;
          const TKey* key = single->GetKeyAt(time, stave);
          ASSERT_NE(key, nullptr);
          const int32_t pitch = note.height + key->GetKeyKind() + 7 * key->GetOctavesUp();
          uint8_t shift = static_cast<uint8_t>(note.shift);
          if (note.shift < 0) {
            shift = single->GetNoteShiftAt(stave, time, pitch);
            takenFromTheWalk += shift != noteShiftNormal;
          }
          walked.AddXMLNote(stave, time, 8, 0, pitch, group, shift, sool, 0, noteArtNormal, single, drawStickAuto);
        }
        group = group->GetNext();
      }
      stave = stave->GetNext();
    }
    ASSERT_EQ(read.SaveToMemory(), walked.SaveToMemory());
  }
  // The files put the walk to work: many notes take an accidental other than the natural from it.
  EXPECT_GT(takenFromTheWalk, 500);
}

// Work, not time: the steps of a read, the symbols its searches pass, stay a few a note however
// the notes of a "7.0" score are spread over staves and note groups. A walk that started again for
// every note or every group would pass the symbols before the note each time.
TEST(MuzRead70, AScoreTakesAFewStepsANoteWhateverItsStavesAndGroups) {
  const std::string key =
      "<Key>\n<Position>0</Position>\n<KeyKind>G</KeyKind>\n<KeyNoteShift>\n<ShiftCross/>\n<Height>3</Height>\n"
      "</KeyNoteShift>\n</Key>\n";
  // Eighths in time order, some with an accidental of their own, with a rest every other bar.
  const auto stave = [&](int notes, int groupSize) {
    Stave made{key, {}};
    for (int i = 0; i < notes; ++i) {
      if (i % groupSize == 0) made.groups.emplace_back();
      made.groups.back().push_back({i, (i * 5) % 12 - 4, i % 7 == 3 ? 3 : -1});
      if (i % 16 == 0)
        made.keysAndRests +=
            "<Silence>\n<Position>" + std::to_string(i / 8 + 1) + "</Position>\n<Length>4</Length>\n</Silence>\n";
    }
    return made;
  };
  const std::string bar = "<Bar>\n<Count>4</Count>\n<Length>4</Length>\n</Bar>\n";
  for (const int notes : {1000, 8000}) {
    const Score shapes[] = {{bar, {stave(notes / 2, notes), stave(notes / 2, notes)}}, {bar, {stave(notes, 16)}}};
    for (const Score& score : shapes) {
      SCOPED_TRACE(std::to_string(notes) + " notes on " + std::to_string(score.staves.size()) + " staves");
      const std::string text = Text(score, true);
      TUnitMuz unit("score.kvm");
      std::string error;
      ASSERT_TRUE(unit.LoadFromMemory(text.data(), text.size(), error)) << error;
      EXPECT_LT(unit.GetReadSteps(), 5 * notes);
    }
  }
}
