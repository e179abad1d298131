// Playing the user in the operation dialogs: finding their controls by name, typing, pressing,
// reading which field a refusal names, and scripting every dialog a command opens; and the sounds
// the command tests work on.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs/BaseDlg.h"
#include "gui/application.h"
#include "support/recording_sink.h"
#include "wave/sound.h"
#include "wave/wave.h"

template <class Widget = QLineEdit>
Widget* Control(QWidget& dialog, const char* name) {
  auto* widget = dialog.findChild<Widget*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

inline void Type(QWidget& dialog, const char* control, const char* text) {
  if (QLineEdit* edit = Control(dialog, control)) edit->setText(text);
}
inline void Press(QWidget& dialog, const char* button) {
  if (auto* pressed = Control<QPushButton>(dialog, button)) pressed->click();
}

// The field a message names ("In <field>: ..."), or the whole text of another message.
inline std::string FieldOf(const RecordedMessage& message) {
  EXPECT_EQ(message.caption, "Input Error");
  const size_t colon = message.text.find(": ");
  return message.text.rfind("In ", 0) == 0 ? message.text.substr(3, colon - 3) : message.text;
}

// Presses Help, puts "x?" into every input and presses OK until the dialog closes, mending the
// field each press names; expects one message per press, naming `fields` (control, name in
// messages) in the order the dialog reads them.
inline void ExpectReadOrder(TDialogForm& dialog, RecordingSink& sink,
                            const std::vector<std::pair<const char*, const char*>>& fields) {
  Press(dialog, "HelpBtn");
  std::map<QLineEdit*, QString> shown;
  for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) shown[edit] = edit->text(), edit->setText("x?");
  std::vector<std::string> reported, expected;
  for (const auto& field : fields) expected.push_back(field.second);
  for (size_t press = 0; press <= fields.size() && dialog.isVisible(); ++press) {
    sink.messages.clear();
    Press(dialog, "OKBtn");
    if (sink.messages.size() != 1u || press == fields.size()) break;
    reported.push_back(FieldOf(sink.messages.front()));
    if (auto* combo = dialog.findChild<QComboBox*>(fields[press].first)) combo->setCurrentIndex(0);
    if (auto* edit = dialog.findChild<QLineEdit*>(fields[press].first)) edit->setText(shown[edit]);
  }
  EXPECT_EQ(reported, expected);
}

// Plays the user in every dialog a command opens; a dialog left open is cancelled.
class ScriptedDialogs {
 public:
  explicit ScriptedDialogs(std::function<void(TDialogForm&)> drive)
      : runner_([this, drive](QDialog& shown) {
          captions.push_back(shown.windowTitle().toStdString());
          shown.show();
          if (drive) drive(static_cast<TDialogForm&>(shown));
          if (shown.isVisible()) shown.reject();
          return shown.result();
        }) {}
  std::vector<std::string> captions;

 private:
  ScopedModalRunner runner_;
};

// A channel of saw with `step` per sample, so that every edit shows.
inline WavePtr SawWave(int32_t values, int16_t step) {
  bool abort = false;
  WavePtr wave = NewWaveChecked(abort, values);
  for (int32_t i = 0; i < values; ++i)
    wave->wave[i] = static_cast<int16_t>((i * step) % 4000 - 2000);
  return wave;
}

// A tenth of a second of mono saw at 44100 samples per second.
inline SoundPtr Saw(int32_t values = 4410, int16_t step = 37) {
  return std::make_unique<MonoSound>(SawWave(values, step), 44100, 2);
}

// Every sample of the left channel, then of the right one when it is another channel.
inline std::vector<int16_t> Samples(const Sound* sound) {
  if (sound == nullptr) return {};
  const Wave* left = sound->GetLeftWave();
  const Wave* right = sound->GetRightWave();
  std::vector<int16_t> samples;
  if (left != nullptr) samples.assign(left->wave, left->wave + left->values);
  if (right != nullptr && right != left)
    samples.insert(samples.end(), right->wave, right->wave + right->values);
  return samples;
}
