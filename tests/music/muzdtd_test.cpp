#include "music/muzdtd.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/foundation/xml_test_util.h"

namespace {
bool Matches(const TDTDElement* top, const std::string& text, std::string* message = nullptr) {
  std::unique_ptr<TXMLToken> tokens = TokensOf(text);
  auto root = std::make_unique<TXMLCompound>("Root");
  std::string error;
  const bool ok = tokens != nullptr && MatchXMLDocument(*top, root.get(), tokens.get(), error);
  if (message != nullptr) *message = error;
  return ok;
}

const std::string kPlayer =
    "<CompoundPlayer><ResonantSampler><ResFactor>0.5</ResFactor><SampleWave>s</SampleWave>"
    "<VolumeFactor>1</VolumeFactor></ResonantSampler><RepeatWaveForm><SampleWave>s</SampleWave>"
    "<FreqUp>1 Hz</FreqUp><VolumeFactor>1</VolumeFactor></RepeatWaveForm></CompoundPlayer>";
const std::string kKey = "<Key><Position>0</Position><KeyKind>G</KeyKind></Key>";
const std::string kPart71 =
    "<SingleMuzPart><Bar><Count>4</Count><Length>4</Length></Bar><PartNode/></SingleMuzPart>";

std::string Doc71(const std::string& parts, const std::string& keyPart, const std::string& notes) {
  return "<UnitMuz><Version>7.1</Version><Tempo>2 s</Tempo>" + parts +
         "<Stave><RoomUp>40</RoomUp><RoomDown>40</RoomDown><ForegroundColor>0</ForegroundColor>"
         "<BackgroundColor>0</BackgroundColor><KeyPart>" + keyPart + "</KeyPart><NoteGroup>"
         "<NoteColor>0</NoteColor><NoteShapeNormal/>" + kPlayer + "<NotePart>" + notes +
         "</NotePart></NoteGroup></Stave></UnitMuz>";
}

std::string Doc70(const std::string& staveFlags, const std::string& notes) {
  return "<UnitMuz><Version>7.0</Version><Tempo>2 s</Tempo><Bar><Count>4</Count><Length>4</Length>"
         "</Bar><Stave><RoomUp>40</RoomUp><RoomDown>40</RoomDown>" + staveFlags +
         "<ForegroundColor>0</ForegroundColor><BackgroundColor>0</BackgroundColor>" + kKey +
         "<NoteGroup><NoteColor>0</NoteColor><NoteShapeRectangle/><NoteStickDown/>" + kPlayer +
         notes + "</NoteGroup></Stave></UnitMuz>";
}

const std::string kNote = "<Note><Position>0</Position><Length>4</Length><Height>3</Height>";
const std::string kTreeParts =
    kPart71 + kPart71 + "<LoopMuzPart><Count>2</Count><PartNode><PartLabel>x</PartLabel><Expanded/>"
    "</PartNode></LoopMuzPart><ConcatMuzPart/><SelectMuzPart><SelectMuzPartTurn><Count>1</Count>"
    "<Pitch>-3</Pitch><PartNode><Selected/></PartNode></SelectMuzPartTurn><PartNode/></SelectMuzPart>";

struct GrammarCase {
  const char* what;
  bool version71;
  std::string text;
  bool accepted;
};

TEST(MuzGrammar, AcceptsWhatEachVersionHoldsAndRefusesTheRest) {
  const GrammarCase cases[] = {
      {"plain 7.1 document", true, Doc71(kPart71, kKey, ""), true},
      {"7.1 tree of every part kind", true, Doc71(kTreeParts, kKey, ""), true},
      {"7.1 note with every option", true,
       Doc71(kPart71, kKey, kNote + "<ShiftDoubleCross/><Kwintool/><PosInOol>4</PosInOol><ArtLegato/>"
                                    "<NoteStickUp/></Note>"), true},
      {"7.1 key part with shifts and a tuplet rest", true,
       Doc71(kPart71, "<Key><Position>0</Position><KeyKind>F</KeyKind><OctavesUp>-1</OctavesUp>"
                      "<KeyNoteShift><ShiftMol/><Height>6</Height></KeyNoteShift></Key><Silence>"
                      "<Position>1/4</Position><Length>8</Length><Triool/><PosInOol>1</PosInOol>"
                      "</Silence>", ""), true},
      {"7.1 without any part", true, Doc71("", kKey, ""), false},
      {"7.1 key part starting with a rest", true,
       Doc71(kPart71, "<Silence><Position>0</Position><Length>4</Length></Silence>", ""), false},
      {"7.1 turn outside a select part", true,
       Doc71(kPart71 + "<SelectMuzPartTurn><Count>1</Count><PartNode/></SelectMuzPartTurn>", kKey, ""),
       false},
      {"7.1 note children out of order", true,
       Doc71(kPart71, kKey, kNote + "<ArtLegato/><Triool/></Note>"), false},
      {"7.0 bar has no CountFirstBar", false,
       std::string(Doc70("", "")).replace(Doc70("", "").find("</Bar>"), 0, "<CountFirstBar>1</CountFirstBar>"),
       false},
      {"7.0 with AutoStick and plain notes", false,
       Doc70("<AllowJoinFlags/><AutoStick/><Mute/>", kNote + "<ShiftNormal/></Note>"), true},
      {"7.0 knows no ExtraLines", false, Doc70("<ExtraLines/>", ""), false},
      {"7.0 knows no articulation", false, Doc70("", kNote + "<ArtStaccato/></Note>"), false},
      {"7.0 document read as 7.1", true, Doc70("", ""), false},
      {"7.1 document read as 7.0", false, Doc71(kPart71, kKey, ""), false},
  };
  for (const GrammarCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string message;
    const bool ok = Matches(c.version71 ? BuildDTD71() : BuildDTD70(), c.text, &message);
    EXPECT_EQ(ok, c.accepted) << message;
  }
}

TEST(MuzGrammar, TakesTheFilesTheProgramWrites) {
  const std::filesystem::path data = std::filesystem::path(__FILE__).parent_path() / "data";
  for (const char* name : {"new_document.kvm", "every_element.kvm"}) {
    SCOPED_TRACE(name);
    std::string text = ReadWholeFile((data / name).string());
    ASSERT_FALSE(text.empty());
    text.erase(0, text.find("\n\n") + 2);  // the reader skips the two lines before the tree
    std::string message;
    EXPECT_TRUE(Matches(BuildDTD71(), text, &message)) << message;
  }
}

TEST(MuzGrammar, IsBuiltOnceAndShared) {
  EXPECT_EQ(BuildDTD71(), BuildDTD71());
  EXPECT_EQ(BuildDTD70(), BuildDTD70());
  EXPECT_NE(BuildDTD70(), BuildDTD71());
  EXPECT_EQ(BuildDTD71()->GetName(), "UnitMuz");
}
}  // namespace
