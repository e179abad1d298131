#include "music/muzdtd.h"

#include <gtest/gtest.h>

#include "tests/foundation/xml_test_util.h"

namespace {
bool Matches(const TDTDElement* top, const std::string& text, std::string& message) {
  std::unique_ptr<TXMLToken> tokens = TokensOf(text);
  TXMLCompound root("Root");
  return tokens != nullptr && MatchXMLDocument(*top, &root, tokens.get(), message);
}

const std::string kPlayer = "<CompoundPlayer><RepeatWaveForm><SampleWave>s</SampleWave><VolumeFactor>1"
                            "</VolumeFactor></RepeatWaveForm></CompoundPlayer>";
const std::string kKey = "<Key><Position>0</Position><KeyKind>G</KeyKind></Key>";
const std::string kPart = "<SingleMuzPart><Bar><Count>4</Count><Length>4</Length></Bar><PartNode/></SingleMuzPart>";
const std::string kNote = "<Note><Position>0</Position><Length>4</Length><Height>3</Height>";
const std::string kColours = "<ForegroundColor>0</ForegroundColor><BackgroundColor>0</BackgroundColor>";

std::string Doc71(const std::string& parts, const std::string& keyPart, const std::string& notes) {
  return "<UnitMuz><Version>7.1</Version><Tempo>2 s</Tempo>" + parts + "<Stave><RoomUp>40</RoomUp><RoomDown>40" +
         "</RoomDown>" + kColours + "<KeyPart>" + keyPart + "</KeyPart><NoteGroup><NoteColor>0</NoteColor>" +
         "<NoteShapeNormal/>" + kPlayer + "<NotePart>" + notes + "</NotePart></NoteGroup></Stave></UnitMuz>";
}

std::string Doc70(const std::string& bar, const std::string& staveFlags, const std::string& notes) {
  return "<UnitMuz><Version>7.0</Version><Tempo>2 s</Tempo><Bar><Count>4</Count><Length>4</Length>" + bar +
         "</Bar><Stave><RoomUp>40</RoomUp><RoomDown>40</RoomDown>" + staveFlags + kColours + kKey +
         "<NoteGroup><NoteColor>0</NoteColor><NoteShapeRectangle/>" + kPlayer + notes +
         "</NoteGroup></Stave></UnitMuz>";
}

TEST(MuzGrammar, AcceptsWhatEachVersionHoldsAndRefusesTheRest) {
  const struct {
    const char* what;
    bool version71;
    std::string text;
    bool accepted;
  } cases[] = {
      {"7.1 turn outside a select part", true,
       Doc71(kPart + "<SelectMuzPartTurn><Count>1</Count><PartNode/></SelectMuzPartTurn>", kKey, ""), false},
      {"7.1 without any part", true, Doc71("", kKey, ""), false},
      {"7.1 key part starting with a rest", true,
       Doc71(kPart, "<Silence><Position>0</Position><Length>4</Length></Silence>", ""), false},
      {"7.0 with AutoStick and plain notes", false, Doc70("", "<AutoStick/><Mute/>", kNote + "<ShiftNormal/></Note>"),
       true},
      {"7.0 bar has no CountFirstBar", false, Doc70("<CountFirstBar>1</CountFirstBar>", "", ""), false},
      {"7.0 knows no ExtraLines", false, Doc70("", "<ExtraLines/>", ""), false},
      {"7.0 knows no articulation", false, Doc70("", "", kNote + "<ArtStaccato/></Note>"), false},
      {"7.0 document read as 7.1", true, Doc70("", "", ""), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string message;
    EXPECT_EQ(Matches(c.version71 ? BuildDTD71() : BuildDTD70(), c.text, message), c.accepted) << message;
  }
}
}  // namespace
