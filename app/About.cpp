#include "app/About.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <cmath>
#include <iterator>
#include <string>

#include "app/Main.h"
#include "gui/application.h"
#include "gui/controls.h"

namespace {

constexpr const char* kAboutCaption = "About Korvalen ";
constexpr int kClientWidth = 355;
constexpr int kClientHeight = 249;

constexpr QRgb kCurveBlue = 0x000064;   // 0x640000 in the program's 0x00BBGGRR
constexpr QRgb kCurveLight = 0x64D2FF;  // 0xFFD264
constexpr QRgb kStemRed = 0x960000;     // 0x000096
constexpr QRgb kWordGreen = 0x006400;   // 0x006400
constexpr int kCurveFirst = 25;
constexpr int kCurveLast = 69;

// The logo's word and the credit lines are the maker's own; these say what the program is.
constexpr const char* kLogoWord = "KV";
constexpr const char* kCreditLines[] = {"A sound editor", "for waves and music", "C++ and Qt"};

// The height of the logo curve at each of its columns, before the column's change is applied.
double CurveHeight(int column) {
  double y = 10;
  for (int i = kCurveFirst; i < column; ++i) {
    if (i <= 29) {
      y += 6;
    } else if (i <= 34) {
      y += (32.5 - i) * 6 * 0.4;
    } else if (i <= 39) {
      y += (i - 37.5) * 6 * 0.4;
    } else if (i <= 44) {
      y += (42.5 - i) * 6 * 0.4;
    } else if (i <= 48) {
      y -= 6;
    } else if (i <= 53) {
      y += (i - 51.5) * 6 * 0.4;
    } else if (i <= 57) {
      y += 6;
    } else if (i <= 62) {
      y += (60.5 - i) * 6 * 0.4;
    } else {
      y -= 6;
    }
  }
  return y;
}

// Logo coordinates to pixels: the picture scales with the form's outer size.
class LogoScale {
 public:
  explicit LogoScale(QSize outer) : hu_((outer.width() / 100) * 1.1), vu_(outer.height() / 100) {}
  QPoint operator()(double a, double b) const {
    return QPoint(static_cast<int>(std::trunc(a * hu_)), static_cast<int>(std::trunc(b * vu_)));
  }
  double Vertical() const { return vu_; }

 private:
  double hu_;
  double vu_;
};

QPen Pen(QRgb colour, int width) {
  return QPen(QColor::fromRgb(colour), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

// Draws a text with its top left corner at `origin`, as the form's text output places it.
void TextAt(QPainter& painter, QPoint origin, const QString& text) {
  painter.drawText(QRect(origin, QSize(4000, 400)), Qt::AlignLeft | Qt::AlignTop, text);
}

// One letter under the other, each clipped to a cell a little below its origin.
void WordDownwards(QPainter& painter, const LogoScale& at, double a, double b, const char* word) {
  const QPoint start = at(a, b);
  const int x = start.x();
  int y = start.y();
  for (const char* letter = word; *letter != '\0'; ++letter) {
    painter.save();
    painter.setClipRect(QRect(QPoint(x, y + 4), QPoint(x + 12, y + 16)).adjusted(0, 0, -1, -1));
    TextAt(painter, QPoint(x, y), QString(QChar::fromLatin1(*letter)));
    painter.restore();
    y = static_cast<int>(std::trunc(y + 5.5 * at.Vertical()));
  }
}

void SetFont(QPainter& painter, const char* family, int points, bool bold, QRgb colour) {
  QFont font(QString::fromLatin1(family), points);
  font.setBold(bold);
  painter.setFont(font);
  painter.setPen(QColor::fromRgb(colour));
}

}  // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner) {
  setWindowTitle(QString::fromLatin1(kAboutCaption) + QString::fromLatin1(kVersionText));
  setFixedSize(kClientWidth, kClientHeight);
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  setFont(font);
  QPalette shade = palette();
  shade.setColor(QPalette::Window, Qt::gray);
  setPalette(shade);
  setAutoFillBackground(true);
  OKButton = new QPushButton("OK", this);
  OKButton->setObjectName("OKButton");
  OKButton->setGeometry(128, 202, 97, 33);
  SetDefaultButton(*this, OKButton);
  OKButton->setFocus();
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

int TAboutBox::ShowModal() { return ExecModal(*this); }

bool TAboutBox::event(QEvent* event) {
  // The main window's F1 cannot reach past a modal box: the box answers it itself.
  if (ClaimHelpKey(event)) return true;
  return QDialog::event(event);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    // The box says what the program is, and so does the start of the contents: they are its topic.
    HelpCommand(kHelpContents, 0);
    return;
  }
  QDialog::keyPressEvent(event);
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TAboutBox::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  FormPaint(painter);
}

void TAboutBox::FormPaint(QPainter& painter) const {
  const LogoScale at(frameGeometry().size());
  if (MainForm && !MainForm->ImageListIcons().empty()) {
    MainForm->ImageListIcons()[0].paint(&painter, QRect(at(7, 13), QSize(32, 32)));
  }

  // The curve dips and climbs; two of its steps are drawn light, as a highlight.
  painter.setPen(Pen(kCurveBlue, 3));
  QPoint last = at(kCurveFirst, CurveHeight(kCurveFirst));
  for (int i = kCurveFirst; i <= kCurveLast; ++i) {
    painter.setPen(Pen(i == 48 || i == 49 ? kCurveLight : kCurveBlue, 3));
    const QPoint next = at(i, CurveHeight(i));
    painter.drawLine(last, next);
    last = next;
  }

  painter.setPen(Pen(kStemRed, 2));
  const QPoint zigzag[] = {at(48.5, 30), at(61, 27), at(57, 31),
                           at(68, 27),   at(64, 31), at(74, 29)};
  painter.drawPolyline(zigzag, static_cast<int>(std::size(zigzag)));
  painter.drawLine(at(71, 30), at(71, 43));

  // The curve passes over the red lines where they cross.
  painter.setPen(Pen(kCurveBlue, 3));
  for (int i = 55; i < 60; ++i) {
    painter.drawLine(at(i, CurveHeight(i)), at(i + 1, CurveHeight(i + 1)));
  }

  SetFont(painter, "Arial", 12, true, kStemRed);
  TextAt(painter, at(71.9, 36.1), QString::fromLatin1(kLogoWord));
  SetFont(painter, "Arial", 10, true, kWordGreen);
  WordDownwards(painter, at, 65, 47, "envelope");
  WordDownwards(painter, at, 71, 57, "based");
  SetFont(painter, "Terminal", 11, false, 0x000000);
  TextAt(painter, at(73, 47), QString::fromLatin1("version ") + QString::fromLatin1(kVersionText));
  SetFont(painter, "Arial", 10, false, 0x000000);
  TextAt(painter, at(10, 61), QString::fromLatin1(kCreditLines[0]));
  SetFont(painter, "Arial", 8, false, 0x000000);
  TextAt(painter, at(20, 71), QString::fromLatin1(kCreditLines[1]));
  SetFont(painter, "Courier New", 9, false, 0x000000);
  TextAt(painter, at(10, 85), QString::fromLatin1(kCreditLines[2]));
}
