#include "app/MainActions.h"

namespace {

constexpr uint8_t E = kActionEnabled;
constexpr uint8_t H = kActionHidden;
constexpr uint8_t C = kActionCheckable;
constexpr uint8_t CC = kActionChecked;

constexpr ActionSpec kFile[] = {
    {"FileNewWave", "&New wave...", "Ctrl+N", "New|Create a new empty wave window", "new", E},
    {"FileOpenWave", "&Open wave...", "Ctrl+O", "Open|Open a wave file", "open", E},
    {"FileNewMuz", "New music...", "Shift+Ctrl+N", "", "newmuz", 0},
    {"FileOpenMuz", "&Open music...", "Shift+Ctrl+O", "", "openmuz", 0},
    {"DuplicateWave", "&Duplicate", "", "Duplicate|Make a duplicate of the wave", "dup", 0},
    {"DuplicateMuz", "&Duplicate", "", "Duplicate|Make a duplicate of the Music", "dup", 0},
    {"FileClose", "&Close", "", "Close|Close current file", "", E},
    {"FileSave", "&Save", "Ctrl+S", "Save|Save current file", "save", 0},
    {"FileSaveAs", "Save &As...", "Ctrl+A", "Save As|Save current file with different name",
     "saveas", 0},
    {"FilePlay", "&Play", "P", "Play|Play the wave", "play", C | E},
    {"FileStop", "S&top", "S", "Stop|Stops playing or recording", "stop", 0},
    {"FilePause", "Pause", "W", "Pause|Pause Playing or Undone Pausing", "pause", C | E},
    {"FileRecord", "&Record", "Alt+R", "Record|Starts recording", "record", C | E},
    {"Undo", "&Undo", "Ctrl+Z", "Undo|Undo last wave action", "undo", 0},
    {"DeleteUndo", "De&lete Undo", "", "Delete Undo|Forget wave before last wave action",
     "delundo", 0},
    {"FileProperties", "Properties", "", "Properties|Change the properties of the wave", "props",
     0},
    {"Register", "&Register...", "N", "Register|Register a wave using a name", "Reg", E},
    {"Options", "Options...", "", "", "", H},
    {"FileExit", "E&xit", "", "Exit|Exit the Korvalen", "", E},
};

constexpr ActionSpec kEdit[] = {
    {"EditDelete", "&Delete", "", "Delete|Delete (a part of) the wave", "Del", 0},
    {"EditTrim", "&Trim", "Shift+Ctrl+Del", "Trim|Delete all except the selected part", "Tr", 0},
    {"EditCut", "Cut", "Ctrl+X", "Cut|Cut the wave", "Cut", 0},
    {"EditCopy", "Copy", "Ctrl+C", "Copy|Copy the wave", "Cpy", 0},
    {"EditPaste", "Paste", "Ctrl+V", "Paste|Paste the wave", "Pst", 0},
    {"EditSwap", "Swap", "X", "Swap|Swap the wave with the contents of the clipboard", "Sw", 0},
    {"EditExtract", "Extract", "Shift+X", "Extract|Copy and replace with silence", "Ex", 0},
    {"EditMix", "&Mix...", "M", "Mix|Mix with clipboard", "Mix", 0},
    {"Begin", "Go to &Begin", "", "", "", H},
    {"End", "Go to &End", "", "", "", H},
    {"EditClearClipboard", "Clear Clipboard", "Shift+Alt+Del",
     "Clear Clipboard|Clear the Clipboard", "CC", 0},
};

constexpr ActionSpec kView[] = {
    {"ViewWave", "&Wave...", "Alt+W", "Wave View|View the wave as a wave", "wave", C},
    {"ViewVold", "&Volume...", "Alt+V", "Volume View|View the wave as a volume diagram", "Vol", C},
    {"ZoomIn", "&Zoom in", "Z", "Zoom In|Zoom the selected part in", "Z+", 0},
    {"NoZoom", "&No Zoom", "Shift+Z", "No Zoom|Shows the whole wave", "Z-", 0},
    {"SelectWave", "&Dialogbox Select Wave...", "Q",
     "Select and Zoom dialogbox|Show or hide the select and zoom dialogbox", "SZ", C | E},
    {"MusicDialog", "&Dialogbox Edit Music...", "", "Display or Hide Dialogbox Edit Music|", "DM",
     C | E},
    {"MusicParts", "&Dialogbox Music Parts...", "", "Display or Hide Dialogbox Music Parts|", "DP",
     C | E},
};

constexpr ActionSpec kMake[] = {
    {"MakeSilence", "&Silence...", "", "Silence|Make a silence wave", "Sil", 0},
    {"MakeLine", "&Line...", "", "Line|Make a wave of a straight ro exponential line", "Lin", 0},
    {"MakeBlock", "&Block...", "Alt+B", "Block|Make a block wave", "Blk", 0},
    {"MakeTriangle", "&Triangle...", "Alt+T", "Triangle|Make a triangle wave", "Tri", 0},
    {"MakeSinus", "S&inus...", "Shift+Alt+S", "Sinus|Make a sinus wave", "Sin", 0},
    {"MakeNoise", "&Noise...", "", "Noise|Make a noise wave", "Noi", 0},
    {"MakeMFreq", "Multi &Frequencies...", "Alt+F",
     "Multiple Frequencies|Make wave with one or more frequencies", "MF", 0},
    {"DrawWaveLin", "Dr&aw Wave Linear", "", "Draw Linear|Draw wave using linear parts", "DL", C},
    {"DrawWave3G", "Draw Wave Smooth", "Shift+Alt+D",
     "Draw Smooth|Draw wave using parts connecting smoothly", "DS", C},
};

constexpr ActionSpec kEffects[] = {
    {"Volume", "&Volume...", "V", "Volume|Change the volume", "V", 0},
    {"MaxVolume", "M&aximal Volume", "Shift+V", "Maximize Volume|Maximize volume", "MV", 0},
    {"Up", "&Up...", "U", "Up|Move the wave up or down", "Up", 0},
    {"Distort", "&Distort...", "Shift+D", "Distort|Distort using a envelope as a function", "Dis",
     0},
    {"Block", "&Block...", "", "Block|Block wave horizontally and/or vertically", "B", 0},
    {"Reverse", "&Reverse", "R", "Reverse|Reverse the wave", "Rev", 0},
    {"Length", "&Length...", "", "Length|Change the length of the wave", "Len", 0},
    {"Rotate", "R&otate...", "Ctrl+R", "", "Rot", 0},
    {"RollOut", "Roll ou&t...", "O", "Roll out|Roll the wave out", "RO", 0},
    {"RollIn", "Roll &in...", "I", "Roll In|Roll the wave into a shorter wave", "RI", 0},
    {"Balance", "Ba&lance...", "", "Balance|Change the mono sound into a stereo sound in a balance",
     "Bal", 0},
    {"MixLeftRight", "Mi&x Left and Right...", "Shift+M",
     "Mix Left and Right|Mix Left channel with right channel", "LR", 0},
    {"TempoPitch", "Tem&po and Pitch...", "T", "Tempo and Pitch|Change tempo and/or pitch", "TP",
     0},
    {"FilterHigh", "&High...", "Ctrl+Alt+H", "Filter High|Filter the high sounds", "FH", 0},
    {"FilterLow", "&Low...", "Ctrl+Alt+L", "Filter Low|Filter the low sounds", "FL", 0},
    {"FilterRes", "&Resonant...", "Ctrl+Alt+R",
     "Filter Resonant|Filter the sound around a certain frequency", "FR", 0},
    {"FilterNotch", "&Notch...", "Ctrl+Alt+N",
     "Filter Notch|Filter the sound away of a certain frequency", "FN", 0},
    {"FilterBlock", "FilterBlock", "Ctrl+Alt+B", "Filter using a block|Filter using a block", "FB",
     0},
    {"PerEcho", "&Period...", "Ctrl+E", "Period echo|make echoes with equal distances", "PE", 0},
    {"RndEcho", "&Random...", "Alt+E", "Random echo|make echoes randomly made and placed", "RE",
     0},
};

constexpr ActionSpec kMusic[] = {
    {"MusicNote1", "Note &1", "", "", "1", C | E},
    {"MusicNote2", "Note &2", "", "", "2", C | E},
    {"MusicNote4", "Note &4", "", "", "4", C | E},
    {"MusicNote8", "Note &8", "", "", "8", C | E},
    {"MusicNote16", "Note 1&6", "", "", "16", C | E},
    {"MusicNote32", "Note &32", "", "", "32", C | E},
    {"MusicNote64", "Not&e 64", "", "", "64", C | E},
    {"MusicSilence1", "Silence &1", "", "", "r1", C | E},
    {"MusicSilence2", "Silence &2", "", "", "r2", C | E},
    {"MusicSilence4", "Silence &4", "", "", "r4", C | E},
    {"MusicSilence8", "Silence &8", "", "", "r8", C | E},
    {"MusicSilence16", "Silence 1&6", "", "", "r16", C | E},
    {"MusicSilence32", "Silence &32", "", "", "r32", C | E},
    {"MusicSilence64", "Silenc&e 64", "", "", "r64", C | E},
    {"MusicKeyG", "Key &G", "G", "", "G", C | E},
    {"MusicKeyC", "Key &C", "C", "", "C", C | E},
    {"MusicKeyF", "Key &F", "F", "", "F", C | E},
    {"MusicNSDCross", "&Double Cross", "", "", "x", C | E},
    {"MusicNSCross", "&Cross", "", "", "#", C | E},
    {"MusicNSNormal", "&Normal", "", "", "n", C | E},
    {"MusicNSMol", "&Mol", "", "", "b", C | E},
    {"MusicNSDMol", "D&ouble Mol", "", "", "bb", C | E},
    {"MusicStaccatissimo", "Staccatissimo", "", "", "'", C | E},
    {"MusicStaccato", "Staccato", "", "", ".", C | E},
    {"MusicArtNormal", "Normal", "", "", "o", C | E},
    {"MusicPortato", "Portato", "", "", "-.", C | E},
    {"MusicLegato", "Legato", "", "", "-", C | E},
    {"MusicTwin", "T&win", "Ctrl+2", "", "2:", E},
    {"MusicTriplet", "&Triplet", "Ctrl+3", "", "3:", E},
    {"MusicQuadruplet", "&Quadruplet", "Ctrl+4", "", "4:", E},
    {"MusicQuintuplet", "Q&uintuplet", "Ctrl+5", "bla", "5:", E},
    {"MusicPointAdd", "&Add", ".", "", "+.", E},
    {"MusicPointDelete", "&Delete", "Shift+.", "", "-.", E},
    {"MusicSelectNext", "&Next", "", "", "S>", E},
    {"MusicSelectPrev", "&Previous", "", "", "S<", E},
    {"MusicSelectUp", "&Up", "", "", "S^", E},
    {"MusicSelectDown", "&Down", "", "", "Sv", E},
    {"MusicMoveNext", "&Next", "", "", "M>", E},
    {"MusicMovePrev", "&Previous", "", "", "M<", E},
    {"MusicMoveUp", "&Up", "", "", "M^", E},
    {"MusicMoveDown", "&Down", "", "", "Mv", E},
    {"MusicMoveOctUp", "&Octave Up", "", "", "O^", E},
    {"MusicMoveOctDown", "O&ctave Down", "", "", "Ov", E},
    {"MusicModeAdd", "&Add", "Alt+Ins", "", "Add", C | E},
    {"MusicModeEdit", "&Edit", "Alt+Home", "", "Ed", C | E},
    {"MusicModeDelete", "&Delete", "", "", "Del", C | E},
    {"MusicDelete", "&Delete", "", "Delete Selected Item", "X", E},
    {"MusicPlayNote", "P&lay Note", "", "", "play", E},
    {"MusicAutoPlay", "&Auto Play Note", "", "", "AP", CC | E},
    {"NoteStickUp", "Note Stick &Up", "", "", "St^", C | E},
    {"NoteStickDown", "Note Stick &Down", "", "", "Stv", C | E},
    {"MusicNoteGroupPrev", "Previous Note Group", "", "", "G<", E},
    {"MusicNoteGroupNext", "Next Note Group", "", "", "G>", E},
    {"MusicGenerate", "&Generate", "Alt+M", "Generate Wave from Music", "Gen", 0},
};

constexpr ActionSpec kWindow[] = {
    {"WindowCascade", "&Cascade", "Shift+F5", "Cascade|", "Cas", E},
    {"WindowTileHorizontal", "Tile &Horizontally", "F4", "Tile Horizontally|", "TH", E},
    {"WindowTileVertical", "Tile &Vertically", "Shift+F4", "Tile Vertically|", "TV", E},
    {"WindowMinimizeAll", "&Minimize All", "", "Minimize All|", "Min", E},
    {"WindowArrangeAll", "&Arrange All", "", "Arrange All|", "Arr", E},
    {"SplitH", "&Split Horizontally", "Ctrl+I",
     "Split Horizontally|Split window into two or three windows sequentially", "SH", 0},
    {"MergeH", "&Merge Horizontally", "Ctrl+M",
     "Merge horizontally|Merge two windows into one window as first and last", "MH", 0},
    {"SplitV", "S&plit Vertically", "Shift+Ctrl+I",
     "Split Vertically|Split one stereo wave into two mono waves", "SV", 0},
    {"MergeV", "M&erge Vertically", "Shift+Ctrl+M",
     "Merge Vertically|Merge two mono waves into one stereo wave", "MV", 0},
};

constexpr ActionSpec kHelp[] = {
    {"HelpContents", "&Contents", "F1", "", "", E},
    {"HelpTopicSearch", "&Topic Search", "Shift+F1", "Topic Search|", "", E},
    {"HelpOnHelp", "&Help on Help", "Ctrl+F1", "Help on help|", "", E},
    {"HelpAbout", "&About...", "Alt+F1", "About|", "", E},
};

// One key serves a music command or a wave command, by the kind of the active document.
constexpr ActionSpec kKeys[] = {
    {"keyCtrlP", "keyCtrlP", "Ctrl+P", "", "", E},
    {"keyCtrlDel", "keyCtrlDel", "Ctrl+Del", "", "", E},
    {"keyAltDel", "keyAltDel", "Alt+Del", "", "", E},
    {"keyAltN", "keyAltN", "Alt+N", "", "", E},
    {"keyAltS", "keyAltS", "Alt+S", "", "", E},
    {"keyL", "keyL", "L", "", "", E},
    {"keyShiftL", "keyShiftL", "Shift+L", "", "", E},
    {"keyAltL", "keyAltL", "Alt+L", "", "", E},
    {"keyShiftAltL", "keyShiftAltL", "Shift+Alt+L", "", "", E},
    {"keyB", "keyB", "B", "", "", E},
    {"keyShiftB", "keyShiftB", "Shift+B", "", "", E},
    {"keyH", "keyH", "H", "", "", E},
    {"keyShiftH", "keyShiftH", "Shift+H", "", "", E},
    {"keyE", "keyE", "E", "", "", E},
    {"keyCtrlD", "keyCtrlD", "Ctrl+D", "", "", E},
    {"keyShiftCtrlD", "keyShiftCtrlD", "Shift+Ctrl+D", "", "", E},
    {"keyShiftP", "keyShiftP", "Shift+P", "", "", E},
    {"keyAltP", "keyAltP", "Alt+P", "", "", E},
    {"keyAltG", "keyAltG", "Alt+G", "", "", E},
    {"keyShiftAltG", "keyShiftAltG", "Shift+Alt+G", "", "", E},
    {"keyD", "keyD", "D", "", "", E},
    {"keyAltU", "keyAltU", "Alt+U", "", "", E},
    {"keyAltD", "keyAltD", "Alt+D", "", "", E},
};

constexpr ActionGroup kGroups[] = {
    {"File", kFile},       {"Edit", kEdit},     {"View", kView}, {"Make", kMake},
    {"Effects", kEffects}, {"Music", kMusic}, {"Window", kWindow}, {"Help", kHelp},
    {"key", kKeys},
};

constexpr const char* kFileMenu[] = {
    "FileNewWave", "FileOpenWave", "FileNewMuz", "FileOpenMuz", "DuplicateWave", "DuplicateMuz",
    "FileClose", "FileSave", "FileSaveAs", "FilePlay", "FileStop", "FilePause", "FileRecord",
    "Undo", "DeleteUndo", "FileProperties", "Register", "Options", "FileExit"};
constexpr const char* kEditMenu[] = {"EditDelete", "EditTrim", "EditCut", "EditCopy",
                                     "EditPaste", "EditSwap", "EditExtract", "EditMix",
                                     "Begin", "End", "EditClearClipboard"};
constexpr const char* kViewMenu[] = {"ViewWave", "ViewVold", "ZoomIn", "NoZoom",
                                     "SelectWave", "MusicDialog", "MusicParts"};
constexpr const char* kMakeMenu[] = {"MakeSilence", "MakeLine", "MakeBlock", "MakeTriangle",
                                     "MakeSinus", "MakeNoise", "MakeMFreq", "-",
                                     "DrawWaveLin", "DrawWave3G"};
constexpr const char* kEffectsMenu[] = {
    "Volume", "MaxVolume", "Up", "Distort", "Block", "Reverse", "Length", "Rotate", "RollOut",
    "RollIn", "Balance", "MixLeftRight", "TempoPitch",
    ">&Filter", "FilterHigh", "FilterLow", "-", "FilterRes", "FilterNotch", "-", "FilterBlock", "<",
    ">E&cho", "PerEcho", "RndEcho", "<"};
constexpr const char* kMusicMenu[] = {
    ">&Note", "MusicNote1", "MusicNote2", "MusicNote4", "MusicNote8", "MusicNote16",
    "MusicNote32", "MusicNote64", "<",
    ">&Silence", "MusicSilence1", "MusicSilence2", "MusicSilence4", "MusicSilence8",
    "MusicSilence16", "MusicSilence32", "MusicSilence64", "<",
    ">&Key", "MusicKeyG", "MusicKeyC", "MusicKeyF", "<",
    ">N&oteshift", "MusicNSDCross", "MusicNSCross", "MusicNSNormal", "MusicNSMol", "MusicNSDMol",
    "<",
    ">&Point", "MusicPointAdd", "MusicPointDelete", "<",
    ">&Articulation", "MusicStaccatissimo", "MusicStaccato", "MusicArtNormal", "MusicPortato",
    "MusicLegato", "<",
    ">&Tuplet", "MusicTwin", "MusicTriplet", "MusicQuadruplet", "MusicQuintuplet", "<",
    "-",
    ">S&elect", "MusicSelectNext", "MusicSelectPrev", "MusicSelectUp", "MusicSelectDown", "<",
    ">&Move", "MusicMoveNext", "MusicMovePrev", "MusicMoveUp", "MusicMoveDown", "MusicMoveOctUp",
    "MusicMoveOctDown", "<",
    ">Mo&de", "MusicModeAdd", "MusicModeEdit", "MusicModeDelete", "<",
    "MusicDelete", "-", "MusicPlayNote", "MusicAutoPlay", "-", "NoteStickUp", "NoteStickDown", "-",
    "MusicNoteGroupPrev", "MusicNoteGroupNext", "-", "MusicGenerate"};
constexpr const char* kWindowMenu[] = {
    "WindowCascade", "WindowTileHorizontal", "WindowTileVertical", "WindowMinimizeAll",
    "WindowArrangeAll", "SplitH", "MergeH", "SplitV", "MergeV"};
constexpr const char* kHelpMenu[] = {"HelpContents", "HelpTopicSearch", "HelpOnHelp", "HelpAbout"};

// Each menu caption has a letter of its own. Where a command of the active kind of document owns the
// same Alt+letter (Alt+F, Alt+E, Alt+V, Alt+W, Alt+M ...) the command wins, and that menu is reached
// from the open menu bar. Music takes "i": its "u" is the note stick's Alt+U.
constexpr MenuLayout kMenus[] = {
    {"File", "&File", kFileMenu},       {"Edit", "&Edit", kEditMenu},
    {"View", "&View", kViewMenu},       {"Make", "&Make", kMakeMenu},
    {"Effects", "Effe&cts", kEffectsMenu}, {"Music", "Mus&ic", kMusicMenu},
    {"Window", "&Window", kWindowMenu}, {"Help", "&Help", kHelpMenu},
};

constexpr const char* kBasicBar[] = {
    "FileNewWave", "FileOpenWave", "FileNewMuz", "FileOpenMuz", "DuplicateWave", "DuplicateMuz",
    "-", "FileSave", "FileSaveAs", "-", "FileProperties", "-", "Undo", "DeleteUndo", "-",
    "FilePlay", "FileStop", "FilePause", "FileRecord"};
constexpr const char* kWave1Bar[] = {
    "ViewWave", "ViewVold", "-", "ZoomIn", "NoZoom", "-", "SelectWave", "-", "SplitH", "MergeH",
    "SplitV", "MergeV", "-", "EditDelete", "EditTrim", "-", "EditCut", "EditPaste", "EditCopy",
    "EditSwap", "EditExtract", "EditMix", "-", "EditClearClipboard"};
constexpr const char* kWave2Bar[] = {
    "MakeSilence", "MakeLine", "MakeBlock", "MakeTriangle", "MakeSinus", "MakeNoise", "MakeMFreq",
    "-", "DrawWaveLin", "DrawWave3G", "-", "Volume", "MaxVolume", "Up", "Distort", "Block",
    "Length", "-", "Reverse", "Rotate", "RollOut", "RollIn"};
constexpr const char* kWave3Bar[] = {"Balance", "MixLeftRight", "TempoPitch", "PerEcho", "RndEcho",
                                     "-", "FilterLow", "FilterHigh", "-", "FilterRes",
                                     "FilterNotch", "-", "FilterBlock"};
constexpr const char* kMusic1Bar[] = {
    "MusicGenerate", "-", "MusicDialog", "MusicParts", "-", "MusicModeAdd", "MusicModeEdit",
    "MusicModeDelete", "-", "MusicDelete", "-", "MusicPlayNote", "MusicAutoPlay", "-",
    "MusicNoteGroupPrev", "MusicNoteGroupNext", "-", "NoteStickUp", "NoteStickDown"};
constexpr const char* kMusic2Bar[] = {
    "MusicSelectUp", "-", "MusicSelectPrev", "MusicSelectNext", "-", "MusicMoveUp",
    "MusicMoveOctUp", "-", "MusicPointAdd", "-", "MusicNote1", "MusicNote2", "MusicNote4",
    "MusicNote8", "MusicNote16", "MusicNote32", "MusicNote64", "-", "MusicStaccatissimo",
    "MusicStaccato", "MusicArtNormal", "MusicPortato", "MusicLegato", "-", "MusicTwin",
    "MusicTriplet", "MusicQuadruplet", "MusicQuintuplet"};
constexpr const char* kMusic3Bar[] = {
    "MusicSelectDown", "-", "MusicMovePrev", "MusicMoveNext", "-", "MusicMoveDown",
    "MusicMoveOctDown", "-", "MusicPointDelete", "-", "MusicSilence1", "MusicSilence2",
    "MusicSilence4", "MusicSilence8", "MusicSilence16", "MusicSilence32", "MusicSilence64", "-",
    "MusicNSDCross", "MusicNSCross", "MusicNSNormal", "MusicNSMol", "MusicNSDMol", "-",
    "MusicKeyF", "MusicKeyC", "MusicKeyG"};

// Rows: Basic alone, then each wave tool bar shares its row with the music tool bar that takes
// its place when a music document is active.
constexpr ToolBarLayout kToolBars[] = {
    {"ToolBarBasic", "Basic", kBasicBar},
    {"ToolBarWave1", "View", kWave1Bar},
    {"ToolBarMusic1", "ToolBarMusic2", kMusic1Bar},
    {"ToolBarWave2", "Make Waves", kWave2Bar},
    {"ToolBarMusic2", "Music Note", kMusic2Bar},
    {"ToolBarWave3", "Complex Manipulations", kWave3Bar},
    {"ToolBarMusic3", "Music Silence", kMusic3Bar},
};

}  // namespace

std::span<const ActionGroup> MainActionGroups() { return kGroups; }
std::span<const MenuLayout> MainMenuLayouts() { return kMenus; }
std::span<const ToolBarLayout> MainToolBarLayouts() { return kToolBars; }
