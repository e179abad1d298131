// The program's entry point: the application object, the main window and the message loop.
#include <QApplication>

#include "app/Main.h"
#include "foundation/messages.h"
#include "gui/application.h"
#include "musicui/ChildMuz.h"
#include "musicui/DMusic.h"
#include "musicui/DMusTree.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QtMessageSink messageBoxes;
  SetMessageSink(&messageBoxes);
  // Before the main window, so its File menu can make music windows from the start.
  InstallMusicWindows();
  std::unique_ptr<TMainForm> form = StartUp();
  // The Music Parts dialog is built on first use.
  if (form) InstallMusTreeDialog(*form);
  messageBoxes.SetOwner(form.get());
  // The music dialog lives above the main window's library; it is built on first use.
  if (form) InstallMusicDialog(*form);
  QApplication::exec();
  form.reset();
  SetMessageSink(nullptr);
  return 0;
}
