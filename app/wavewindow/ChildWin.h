// The base of both document windows: an MDI child of the main window that shows one document,
// owns it, reports its kind and follows the common activation and close protocol.
#pragma once

#include <QMdiSubWindow>
#include <cstdint>
#include <memory>
#include <string>

class TUnit;

inline constexpr const char* kChildCaption = "MDI Child";
inline constexpr const char* kSaveQuestion = "Do you want to save?";
inline constexpr const char* kSaveQuestionCaption = "You have unsaved changes";

class TMDIChildKorvalen : public QMdiSubWindow {
 public:
  explicit TMDIChildKorvalen(QWidget* owner = nullptr);
  ~TMDIChildKorvalen() override;
  TMDIChildKorvalen(const TMDIChildKorvalen&) = delete;
  TMDIChildKorvalen& operator=(const TMDIChildKorvalen&) = delete;

  // 1 wave, 2 music: the kind of the document; 0 once the document is gone with a closed window.
  uint8_t GetKind() const;
  // The window takes the document over; set once, by the derived window's initialisation.
  void SetUnit(std::unique_ptr<TUnit> unit);
  TUnit* GetUnit() const { return TheUnit.get(); }
  // Ends a name edit in progress and shows the document's registered name in the name box.
  void ShowUnitName();

  // The window protocol.
  void EvFormOnActivate();
  void FormClick();
  // Whether the window may close; asks to save a document with unsaved changes.
  bool FormCloseQuery();
  void EvFormClose();

  // Replaces the client area (the old one is deleted); a left click in it is `FormClick`.
  void SetClientArea(QWidget* client);

 protected:
  // Saves the document as the main window does for this kind; answers the save's real result.
  virtual bool SaveUnit() = 0;
  // Tells the main window that this window is the active one of its kind.
  virtual void NotifyActivated() = 0;
  // Tells the main window that the last document window is closing.
  virtual void NotifyLastClosed() = 0;
  // Deletes the document. Derived destructors call it first, while the whole window still stands
  // for the document to reach; a closed window has already dropped it.
  void DeleteUnit();

  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Brings the window before the user for its close question.
  void ShowForQuestion();

  std::unique_ptr<TUnit> TheUnit;
};
