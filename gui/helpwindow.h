// The program's help: a book of Markdown topics read from a folder (the program's is a resource)
// and the one window that shows it, with a contents list, a search, links between topics and a
// history; and the help service that answers the help commands with that window.
//
// The folder holds index.txt, one line per topic in contents order: the topic's file, then the
// help contexts it answers, separated by blanks ("volume.md 9"); blank lines and lines starting
// with '#' are skipped. The first topic is the contents. Each topic starts with "# <title>".
#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "gui/application.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;
class QToolButton;
class QUrl;

struct HelpTopic {
  QString file;
  QString title;
  QString text;   // the Markdown source; empty when the file could not be read
  QString plain;  // the text as the reader sees it, without markup and link targets
  std::vector<int> contexts;
  bool readable = false;
};

class HelpBook {
 public:
  explicit HelpBook(const QString& folder);
  // Every topic of the index, readable or not, in contents order.
  const std::vector<HelpTopic>& Topics() const { return topics_; }
  // The index entry of a file or of a help context, readable or not; null when there is none.
  const HelpTopic* Entry(const QString& file) const;
  const HelpTopic* EntryOfContext(int context) const;
  // The first topic of the index; null when the index is empty.
  const HelpTopic* Contents() const;
  // The readable topics that hold every word of `words` (case aside, a word matching from its
  // start, so "echo" finds "echoes"), best first: a hit in the title, then the most hits.
  std::vector<const HelpTopic*> Search(const QString& words) const;

 private:
  std::vector<HelpTopic> topics_;
};

class HelpWindow : public QWidget {
 public:
  HelpWindow(HelpBook book, const QString& caption, QWidget* parent = nullptr);

  const HelpBook& Book() const { return book_; }
  // Shows a topic; one that is not in the book or cannot be read shows the contents instead,
  // with a line that says so. `notice` is a line shown above the topic.
  void ShowTopic(const QString& file, const QString& notice = {});
  // Shows the window with the focus in the search field, its text selected.
  void StartSearch();
  // Shows the window above `asker`, the window that asked for help (null: none): it is kept above
  // it as its dialogs are, stays on top while the asker or any other shown window of the program
  // does, and stays usable while the asker is modal.
  void PresentAbove(QWidget* asker);

  // The topic shown; null before the first.
  const HelpTopic* Current() const { return current_; }
  QString NoticeText() const;
  QTextBrowser* Browser() const { return browser_; }
  QLineEdit* SearchField() const { return search_; }
  QListWidget* TopicList() const { return list_; }
  QToolButton* BackButton() const { return back_; }
  QToolButton* ForwardButton() const { return forward_; }

 protected:
  bool event(QEvent* event) override;

 private:
  void FillList();
  void OpenListed(int row);
  void FollowLink(const QUrl& link);
  void Shown(const QString& file);

  HelpBook book_;
  QString caption_;
  const HelpTopic* current_ = nullptr;
  QTextBrowser* browser_;
  QLineEdit* search_;
  QListWidget* list_;
  QLabel* notice_;
  QToolButton* back_;
  QToolButton* forward_;
};

// Answers the help commands with a help window built on first use: a help context shows its
// topic, the contents command the first topic, the finder the search, help on help its topic.
class HelpWindowService : public HelpService {
 public:
  HelpWindowService(QString folder, QString caption, QString helpOnHelpFile);
  ~HelpWindowService() override;
  HelpWindowService(const HelpWindowService&) = delete;
  HelpWindowService& operator=(const HelpWindowService&) = delete;

  bool HelpCommand(int command, int data) override;
  // Null until help was first asked for.
  HelpWindow* Window() const { return window_.get(); }

 private:
  QString folder_;
  QString caption_;
  QString helpOnHelpFile_;
  std::unique_ptr<HelpWindow> window_;
};
