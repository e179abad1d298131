#include "gui/helpwindow.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "gui/keyfilter.h"

namespace {

QString ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

// Serves the topics from the book, so that a link and the history reach them by file name.
class TopicBrowser : public QTextBrowser {
 public:
  TopicBrowser(const HelpBook& book, QWidget* parent) : QTextBrowser(parent), book_(book) {}

  QVariant loadResource(int type, const QUrl& name) override {
    if (type != QTextDocument::ImageResource && type != QTextDocument::StyleSheetResource) {
      const HelpTopic* topic = book_.Entry(name.fileName());
      if (topic != nullptr && topic->readable) return topic->text;
    }
    return QTextBrowser::loadResource(type, name);
  }

 private:
  const HelpBook& book_;
};

}  // namespace

HelpBook::HelpBook(const QString& folder) {
  const QStringList lines = ReadText(folder + "/index.txt").split('\n');
  for (const QString& line : lines) {
    const QStringList fields = line.simplified().split(' ', Qt::SkipEmptyParts);
    if (fields.isEmpty() || fields.front().startsWith('#') || Entry(fields.front())) continue;
    HelpTopic topic;
    topic.file = fields.front();
    for (qsizetype i = 1; i < fields.size(); ++i) {
      bool number = false;
      const int context = fields[i].toInt(&number);
      if (number) topic.contexts.push_back(context);
    }
    topic.text = ReadText(folder + "/" + topic.file);
    topic.readable = !topic.text.isEmpty();
    topic.title = topic.file;
    const QString first = topic.text.section('\n', 0, 0).trimmed();
    if (first.startsWith("# ")) topic.title = first.mid(2).trimmed();
    QTextDocument document;
    document.setMarkdown(topic.text);
    topic.plain = document.toPlainText();
    topics_.push_back(std::move(topic));
  }
}

const HelpTopic* HelpBook::Entry(const QString& file) const {
  for (const HelpTopic& topic : topics_) {
    if (topic.file == file) return &topic;
  }
  return nullptr;
}

const HelpTopic* HelpBook::EntryOfContext(int context) const {
  for (const HelpTopic& topic : topics_) {
    if (std::find(topic.contexts.begin(), topic.contexts.end(), context) != topic.contexts.end()) {
      return &topic;
    }
  }
  return nullptr;
}

const HelpTopic* HelpBook::Contents() const { return topics_.empty() ? nullptr : &topics_.front(); }

std::vector<const HelpTopic*> HelpBook::Search(const QString& words) const {
  struct Hit {
    const HelpTopic* topic;
    int inTitle;
    qsizetype count;
  };
  std::vector<QRegularExpression> patterns;
  for (const QString& word : words.simplified().split(' ', Qt::SkipEmptyParts)) {
    patterns.emplace_back("(?<!\\w)" + QRegularExpression::escape(word),
                          QRegularExpression::CaseInsensitiveOption |
                              QRegularExpression::UseUnicodePropertiesOption);
  }
  std::vector<Hit> hits;
  for (const HelpTopic& topic : topics_) {
    if (patterns.empty() || !topic.readable) continue;
    Hit hit{&topic, 0, 0};
    for (const QRegularExpression& pattern : patterns) {
      qsizetype count = 0;
      for (auto match = pattern.globalMatch(topic.plain); match.hasNext(); match.next()) ++count;
      if (count == 0) {
        hit.count = 0;
        break;
      }
      hit.count += count;
      hit.inTitle += topic.title.contains(pattern) ? 1 : 0;
    }
    if (hit.count > 0) hits.push_back(hit);
  }
  std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
    return a.inTitle != b.inTitle ? a.inTitle > b.inTitle : a.count > b.count;
  });
  std::vector<const HelpTopic*> found;
  for (const Hit& hit : hits) found.push_back(hit.topic);
  return found;
}

HelpWindow::HelpWindow(HelpBook book, const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window), book_(std::move(book)), caption_(caption) {
  setObjectName("HelpWindow");
  // Help left open does not keep the program running once the main window is closed.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(caption_);
  search_ = new QLineEdit;
  search_->setObjectName("HelpSearch");
  search_->setPlaceholderText("Find a word");
  search_->setClearButtonEnabled(true);
  list_ = new QListWidget;
  list_->setObjectName("HelpTopics");
  // A long title is cut with an ellipsis rather than scrolled; its topic shows it whole.
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* left = new QWidget;
  auto* leftColumn = new QVBoxLayout(left);
  leftColumn->setContentsMargins(0, 0, 0, 0);
  leftColumn->addWidget(search_);
  leftColumn->addWidget(list_);

  back_ = new QToolButton;
  back_->setText("< Back");
  back_->setEnabled(false);
  forward_ = new QToolButton;
  forward_->setText("Forward >");
  forward_->setEnabled(false);
  auto* contents = new QToolButton;
  contents->setText("Contents");
  notice_ = new QLabel;
  notice_->setWordWrap(true);
  notice_->setStyleSheet("font-weight: bold");
  notice_->hide();
  browser_ = new TopicBrowser(book_, this);
  browser_->setObjectName("HelpText");
  browser_->setOpenLinks(false);
  browser_->setOpenExternalLinks(false);
  auto* right = new QWidget;
  auto* rightColumn = new QVBoxLayout(right);
  rightColumn->setContentsMargins(0, 0, 0, 0);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back_);
  buttons->addWidget(forward_);
  buttons->addWidget(contents);
  buttons->addStretch();
  rightColumn->addLayout(buttons);
  rightColumn->addWidget(notice_);
  rightColumn->addWidget(browser_);

  auto* splitter = new QSplitter;
  splitter->addWidget(left);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({250, 510});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);
  resize(780, 540);

  connect(search_, &QLineEdit::textChanged, this, [this] { FillList(); });
  connect(search_, &QLineEdit::returnPressed, this, [this] { OpenListed(0); });
  connect(list_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { OpenListed(list_->row(item)); });
  connect(list_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { OpenListed(list_->row(item)); });
  connect(browser_, &QTextBrowser::anchorClicked, this,
          [this](const QUrl& link) { FollowLink(link); });
  connect(browser_, &QTextBrowser::sourceChanged, this,
          [this](const QUrl& source) { Shown(source.fileName()); });
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(contents, &QToolButton::clicked, this, [this] {
    if (const HelpTopic* first = book_.Contents()) ShowTopic(first->file);
  });
  FillList();
}

void HelpWindow::ShowTopic(const QString& file, const QString& notice) {
  const HelpTopic* topic = book_.Entry(file);
  QString line = notice;
  if (topic == nullptr || !topic->readable) {
    if (line.isEmpty()) {
      line = topic == nullptr ? "There is no help topic \"" + file + "\"; these are the contents."
                              : "The help topic \"" + file +
                                    "\" could not be read; these are the contents.";
    }
    topic = book_.Contents();
    if (topic == nullptr || !topic->readable) {
      current_ = nullptr;
      browser_->setPlainText(line + "\nThe help of this program could not be read.");
      return;
    }
  }
  browser_->setSource(QUrl(topic->file), QTextDocument::MarkdownResource);
  Shown(topic->file);
  notice_->setText(line);
  notice_->setVisible(!line.isEmpty());
}

QString HelpWindow::NoticeText() const {
  return notice_->isVisibleTo(this) ? notice_->text() : QString();
}

void HelpWindow::StartSearch() {
  show();
  search_->setFocus();
  search_->selectAll();
}

void HelpWindow::PresentAbove(QWidget* asker) {
  QWidget* top = asker != nullptr ? asker->window() : nullptr;
  if (top != this) {
    // Above the asker, and above every window of the program that stays on top: one the asker
    // does not own (the music dialog over the score that asked) would cover it otherwise. Among
    // such windows a window manager keeps a window above the one it is transient for, so help
    // asked for below one is made transient for it.
    bool onTop = top != nullptr && top->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    QWidget* parent = top;
    for (QWidget* other : QApplication::topLevelWidgets()) {
      if (other != this && other->isVisible() && other->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        if (!onTop) parent = other;
        onTop = true;
      }
    }
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
      setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
    // A window whose transient parent is the asker stays above it, and a modal asker does not
    // block it; the window system takes a new parent when the window is shown again.
    winId();
    QWindow* above = parent != nullptr ? parent->windowHandle() : nullptr;
    if (windowHandle()->transientParent() != above) {
      hide();
      windowHandle()->setTransientParent(above);
    }
  }
  // A window the user minimised comes back when help is asked for again; shown while minimised
  // it would stay an icon and the key would seem to do nothing.
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

bool HelpWindow::event(QEvent* event) {
  // Reading help must not run the program's one-key commands; the function keys still reach
  // theirs, so F1 and its kin work here too.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool functionKey = key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F35;
    if (!functionKey && KeyBelongsToTyping(key->key(), key->modifiers())) {
      event->accept();
      return true;
    }
  }
  return QWidget::event(event);
}

void HelpWindow::FillList() {
  const QSignalBlocker quiet(list_);
  list_->clear();
  const QString words = search_->text().trimmed();
  std::vector<const HelpTopic*> listed;
  if (words.isEmpty()) {
    for (const HelpTopic& topic : book_.Topics()) {
      if (topic.readable) listed.push_back(&topic);
    }
  } else {
    listed = book_.Search(words);
    if (listed.empty()) {
      auto* none = new QListWidgetItem("No topic holds these words", list_);
      none->setFlags(Qt::NoItemFlags);
    }
  }
  for (const HelpTopic* topic : listed) {
    auto* item = new QListWidgetItem(topic->title, list_);
    item->setData(Qt::UserRole, topic->file);
    if (words.isEmpty() && topic == current_) list_->setCurrentItem(item);
  }
}

void HelpWindow::OpenListed(int row) {
  const QListWidgetItem* item = list_->item(row);
  const QString file = item != nullptr ? item->data(Qt::UserRole).toString() : QString();
  if (!file.isEmpty()) ShowTopic(file);
}

void HelpWindow::FollowLink(const QUrl& link) {
  // Topics link only to each other: the help never leaves the program.
  if (!link.scheme().isEmpty() || link.path().isEmpty()) {
    if (!link.fragment().isEmpty()) browser_->scrollToAnchor(link.fragment());
    return;
  }
  ShowTopic(link.fileName());
  if (!link.fragment().isEmpty()) browser_->scrollToAnchor(link.fragment());
}

void HelpWindow::Shown(const QString& file) {
  const HelpTopic* topic = book_.Entry(file);
  if (topic == current_ && topic != nullptr) return;
  current_ = topic;
  notice_->hide();
  setWindowTitle(current_ != nullptr ? caption_ + " - " + current_->title : caption_);
  if (search_->text().trimmed().isEmpty()) FillList();
}

HelpWindowService::HelpWindowService(QString folder, QString caption, QString helpOnHelpFile)
    : folder_(std::move(folder)),
      caption_(std::move(caption)),
      helpOnHelpFile_(std::move(helpOnHelpFile)) {}

HelpWindowService::~HelpWindowService() = default;

bool HelpWindowService::HelpCommand(int command, int data) {
  QWidget* asker = QApplication::activeModalWidget();
  if (asker == nullptr) asker = QApplication::activeWindow();
  if (!window_) window_ = std::make_unique<HelpWindow>(HelpBook(folder_), caption_);
  const HelpTopic* contents = window_->Book().Contents();
  const QString contentsFile = contents != nullptr ? contents->file : QString();
  switch (command) {
    case kHelpContext:
      if (const HelpTopic* topic = window_->Book().EntryOfContext(data)) {
        window_->ShowTopic(topic->file);
      } else {
        const bool named =
            asker != nullptr && asker != window_.get() && !asker->windowTitle().isEmpty();
        const QString what = named ? "\"" + asker->windowTitle() + "\"" : "this window";
        window_->ShowTopic(contentsFile,
                           "No help topic is written for " + what + "; these are the contents.");
      }
      break;
    case kHelpHelpOnHelp:
      window_->ShowTopic(helpOnHelpFile_);
      break;
    case kHelpFinder:
      if (window_->Current() == nullptr) window_->ShowTopic(contentsFile);
      window_->PresentAbove(asker);
      window_->StartSearch();
      return true;
    default:
      window_->ShowTopic(contentsFile);
      break;
  }
  window_->PresentAbove(asker);
  return true;
}
