#pragma once

// The help, and F1 in every window of the program.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

class QScreen;

#include <functional>

namespace vestran {

// On Windows COLMEDA.chm beside the program, when it is there; otherwise the bundled HTML
// help in a window of its own, which stays readable and scrollable while a dialog or a
// message box of the program waits for the user.
class Ayuda : public QObject {
 public:
  Ayuda();
  // Shows the help (one window, raised when it is open already).
  void mostrar();
  // The help window, while it is open.
  QWidget* ventana() const { return ventana_; }

 private:
  // A window waiting for the user blocks every other window but those it owns; the help
  // window is given to it, so that it stays usable.
  void seguirAlDialogoModal();

  QPointer<QWidget> ventana_;
};

// Where a window of `tamano` goes beside the rectangle `junto` without covering it: to its
// right where the screen (`libre`, its free area) has room, else to its left, else as far
// aside as the screen lets; always within the screen.
QPoint posicionJunto(const QRect& junto, const QSize& tamano, const QRect& libre);

// Calls `pedir` when F1 is pressed in any window of the program: the main window, the
// chooser, the file dialog and every message box. Installed on the application while the
// object lives.
class TeclaDeAyuda : public QObject {
 public:
  explicit TeclaDeAyuda(std::function<void()> pedir);
  ~TeclaDeAyuda() override;

 protected:
  bool eventFilter(QObject* objeto, QEvent* evento) override;

 private:
  std::function<void()> pedir_;
};

}  // namespace vestran
