// Both music-file grammars, built from the grammar objects of the XML layer. An element is made
// once and referenced from every content model that names it.
#include "music/muzdtd.h"

#include <initializer_list>
#include <map>
#include <string>

#include "foundation/assertion.h"
#include "foundation/xmlalg.h"

namespace {
constexpr const char* kAssertUnit = "unitmuz";

// Builds one grammar: leaves and empty elements by name, content models as short expressions.
class GrammarBuilder {
 public:
  explicit GrammarBuilder(TDTDGrammar& grammar) : g_(grammar), empty_(grammar.Make<TDTDEmpty>()) {}

  // A text element, made on first mention.
  const TDTDElement* Text(const std::string& name) { return Named(name, /*text=*/true); }
  // An EMPTY element, made on first mention; all share one empty expression.
  const TDTDElement* Flag(const std::string& name) { return Named(name, /*text=*/false); }

  const TDTDItem* Seq(std::initializer_list<const TDTDItem*> items) {
    return Fold<TDTDConcat>(items);
  }
  const TDTDItem* OneOf(std::initializer_list<const TDTDItem*> items) {
    return Fold<TDTDChoice>(items);
  }
  // Alternatives of EMPTY elements, tried in the order given.
  const TDTDItem* OneOfFlags(std::initializer_list<const char*> names) {
    const TDTDItem* choice = nullptr;
    for (const char* name : names) choice = Either(choice, Flag(name));
    return choice;
  }
  const TDTDItem* Opt(const TDTDItem* item) { return g_.Make<TDTDOptional>(item); }
  const TDTDItem* Many(const TDTDItem* item) { return g_.Make<TDTDRepeatMin0>(item); }
  const TDTDItem* Some(const TDTDItem* item) { return g_.Make<TDTDRepeatMin1>(item); }
  const TDTDElement* Compound(const std::string& name, const TDTDItem* content) {
    return g_.Make<TDTDCompound>(name, content);
  }

 private:
  template <typename Pair>
  const TDTDItem* Fold(std::initializer_list<const TDTDItem*> items) {
    KV_ASSERT(items.size() > 0);
    const TDTDItem* result = nullptr;
    for (const TDTDItem* item : items) {
      if (result == nullptr) result = item;
      else result = g_.Make<Pair>(result, item);
    }
    return result;
  }

  const TDTDItem* Either(const TDTDItem* first, const TDTDItem* second) {
    if (first == nullptr) return second;
    return g_.Make<TDTDChoice>(first, second);
  }

  const TDTDElement* Named(const std::string& name, bool text) {
    auto found = named_.find(name);
    if (found != named_.end()) return found->second;
    const TDTDElement* element = text ? static_cast<const TDTDElement*>(g_.Make<TDTDAttribute>(name))
                                      : g_.Make<TDTDCompound>(name, empty_);
    named_.emplace(name, element);
    return element;
  }

  TDTDGrammar& g_;
  const TDTDItem* empty_;
  std::map<std::string, const TDTDElement*> named_;
};

// The elements both versions share: keys, the compound player and its one-players.
struct SharedElements {
  const TDTDElement* key;
  const TDTDElement* compoundPlayer;
};

SharedElements BuildShared(GrammarBuilder& b) {
  const TDTDElement* keyNoteShift =
      b.Compound("KeyNoteShift", b.Seq({b.OneOfFlags({"ShiftCross", "ShiftMol"}), b.Text("Height")}));
  const TDTDElement* key =
      b.Compound("Key", b.Seq({b.Text("Position"), b.Text("KeyKind"), b.Opt(b.Text("OctavesUp")),
                               b.Many(keyNoteShift)}));
  const TDTDItem* sampleTail =
      b.Seq({b.Text("SampleWave"), b.Opt(b.Text("FreqUp")), b.Text("VolumeFactor")});
  const TDTDItem* withBasicFreq = b.Seq({b.Text("BasicFreq"), sampleTail});
  const TDTDElement* player = b.Compound(
      "CompoundPlayer",
      b.Some(b.OneOf({b.Compound("SimpleOneSampler", withBasicFreq),
                      b.Compound("RollOutSampler", withBasicFreq),
                      b.Compound("ResonantSampler", b.Seq({b.Text("ResFactor"), sampleTail})),
                      b.Compound("RepeatWaveForm", sampleTail),
                      b.Compound("RollOutWaveForm", sampleTail)})));
  return {key, player};
}

const TDTDItem* NoteHead(GrammarBuilder& b) {
  return b.Seq({b.Text("Position"), b.Text("Length"), b.Opt(b.Text("Points")), b.Text("Height"),
                b.Opt(b.OneOfFlags({"ShiftDoubleMol", "ShiftMol", "ShiftNormal", "ShiftCross",
                                    "ShiftDoubleCross"}))});
}

const TDTDItem* GroupHead(GrammarBuilder& b, const SharedElements& shared) {
  return b.Seq({b.Text("NoteColor"), b.OneOfFlags({"NoteShapeNormal", "NoteShapeRectangle"}),
                b.Opt(b.OneOfFlags({"NoteStickUp", "NoteStickDown"})), shared.compoundPlayer});
}

// The grammar and its top element, kept together for the life of the program.
struct Grammar {
  TDTDGrammar owner;
  const TDTDElement* top = nullptr;
};

Grammar Build70() {
  Grammar grammar;
  GrammarBuilder b(grammar.owner);
  const SharedElements shared = BuildShared(b);
  const TDTDElement* silence =
      b.Compound("Silence", b.Seq({b.Text("Position"), b.Text("Length"), b.Opt(b.Text("Points"))}));
  const TDTDElement* note = b.Compound("Note", NoteHead(b));
  const TDTDElement* noteGroup = b.Compound("NoteGroup", b.Seq({GroupHead(b, shared), b.Many(note)}));
  const TDTDElement* stave = b.Compound(
      "Stave", b.Seq({b.Text("RoomUp"), b.Text("RoomDown"), b.Opt(b.Flag("AllowJoinFlags")),
                      b.Opt(b.Flag("AutoStick")), b.Opt(b.Flag("Mute")), b.Text("ForegroundColor"),
                      b.Text("BackgroundColor"), shared.key, b.Many(b.OneOf({shared.key, silence})),
                      b.Some(noteGroup)}));
  const TDTDElement* bar = b.Compound("Bar", b.Seq({b.Text("Count"), b.Text("Length")}));
  grammar.top = b.Compound("UnitMuz", b.Seq({b.Text("Version"), b.Text("Tempo"), bar, b.Some(stave)}));
  return grammar;
}

Grammar Build71() {
  Grammar grammar;
  GrammarBuilder b(grammar.owner);
  const SharedElements shared = BuildShared(b);
  const TDTDItem* tuplet = b.Seq({b.Opt(b.OneOfFlags({"Duool", "Triool", "Kwartool", "Kwintool"})),
                                  b.Opt(b.Text("PosInOol"))});
  const TDTDElement* silence = b.Compound(
      "Silence", b.Seq({b.Text("Position"), b.Text("Length"), b.Opt(b.Text("Points")), tuplet}));
  const TDTDElement* note = b.Compound(
      "Note", b.Seq({NoteHead(b), tuplet,
                     b.Opt(b.OneOfFlags({"ArtStaccatissimo", "ArtStaccato", "ArtNormal", "ArtPortato",
                                         "ArtLegato"})),
                     b.Opt(b.OneOfFlags({"NoteStickUp", "NoteStickDown"}))}));
  const TDTDElement* noteGroup = b.Compound(
      "NoteGroup", b.Seq({GroupHead(b, shared), b.Some(b.Compound("NotePart", b.Many(note)))}));
  const TDTDElement* keyPart =
      b.Compound("KeyPart", b.Seq({shared.key, b.Many(b.OneOf({shared.key, silence}))}));
  const TDTDElement* stave = b.Compound(
      "Stave", b.Seq({b.Text("RoomUp"), b.Text("RoomDown"), b.Opt(b.Flag("AllowJoinFlags")),
                      b.Opt(b.Flag("Mute")), b.Opt(b.Flag("ExtraLines")), b.Text("ForegroundColor"),
                      b.Text("BackgroundColor"), b.Some(keyPart), b.Some(noteGroup)}));

  const TDTDElement* partNode = b.Compound(
      "PartNode", b.Seq({b.Opt(b.Text("PartLabel")), b.Opt(b.Flag("Expanded")), b.Opt(b.Flag("Selected"))}));
  const TDTDElement* bar = b.Compound(
      "Bar", b.Seq({b.Text("Count"), b.Text("Length"), b.Opt(b.Text("CountFirstBar"))}));
  const TDTDElement* single = b.Compound("SingleMuzPart", b.Seq({bar, partNode}));
  const TDTDElement* loop = b.Compound("LoopMuzPart", b.Seq({b.Text("Count"), partNode}));
  const TDTDElement* turn =
      b.Compound("SelectMuzPartTurn", b.Seq({b.Text("Count"), b.Opt(b.Text("Pitch")), partNode}));
  const TDTDElement* select = b.Compound("SelectMuzPart", b.Seq({b.Many(turn), partNode}));
  const TDTDItem* parts = b.Some(b.OneOf({single, b.Flag("ConcatMuzPart"), loop, select}));
  grammar.top = b.Compound("UnitMuz", b.Seq({b.Text("Version"), b.Text("Tempo"), parts, b.Some(stave)}));
  return grammar;
}
}  // namespace

const TDTDElement* BuildDTD70() {
  static const Grammar grammar = Build70();
  return grammar.top;
}

const TDTDElement* BuildDTD71() {
  static const Grammar grammar = Build71();
  return grammar.top;
}
