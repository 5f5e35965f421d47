#include "ventanas/Ayuda.hpp"

#include <algorithm>

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include "mensajes/Mensajes.hpp"
#include "ventanas/Componentes.hpp"

namespace vestran {

QPoint posicionJunto(const QRect& junto, const QSize& tamano, const QRect& libre) {
  constexpr int kSeparacion = 8;
  const int arriba =
      std::clamp(junto.top(), libre.top(), std::max(libre.top(), libre.bottom() - tamano.height()));
  // Right of it where there is room, else left of it, else the side with more room.
  if (junto.right() + kSeparacion + tamano.width() <= libre.right()) {
    return {junto.right() + kSeparacion, arriba};
  }
  if (junto.left() - kSeparacion - tamano.width() >= libre.left()) {
    return {junto.left() - kSeparacion - tamano.width(), arriba};
  }
  const bool derecha = libre.right() - junto.right() >= junto.left() - libre.left();
  return {derecha ? libre.right() - tamano.width() : libre.left(), arriba};
}

Ayuda::Ayuda() {
  connect(qApp, &QGuiApplication::focusWindowChanged, this, &Ayuda::seguirAlDialogoModal);
}

void Ayuda::mostrar() {
#ifdef _WIN32
  const QString chm =
      QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("COLMEDA.chm"));
  if (QFile::exists(chm) && QDesktopServices::openUrl(QUrl::fromLocalFile(chm))) return;
#endif
  // The window that asked: the help goes beside it, never over it.
  QWidget* quien = QApplication::activeModalWidget();
  if (!quien) quien = QApplication::activeWindow();
  if (quien == ventana_) quien = nullptr;
  if (!ventana_) {
    ventana_ = new QWidget(nullptr, Qt::Window);
    ventana_->setAttribute(Qt::WA_DeleteOnClose);
    // The program ends when its windows close, the help open or not: in batch mode the
    // calling program waits for it to end.
    ventana_->setAttribute(Qt::WA_QuitOnClose, false);
    ventana_->setWindowTitle(QStringLiteral("Ayuda de ") + qtexto(kTituloAplicacion));
    ventana_->resize(640, 560);
    auto* texto = new QTextBrowser(ventana_);
    texto->setOpenExternalLinks(true);
    texto->setSource(QUrl(QStringLiteral("qrc:/ayuda/ayuda.html")));
    auto* capa = new QVBoxLayout(ventana_);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->addWidget(texto);
    // Escape closes it, as it closes the program's dialogs.
    auto* cerrar = new QShortcut(QKeySequence(Qt::Key_Escape), ventana_);
    connect(cerrar, &QShortcut::activated, ventana_.data(), &QWidget::close);
    ventana_->winId();  // the window exists from now on, so it can be given to a dialog
    if (quien && quien->screen()) {
      ventana_->move(posicionJunto(quien->frameGeometry(), ventana_->frameGeometry().size(),
                                   quien->screen()->availableGeometry()));
    }
  }
  seguirAlDialogoModal();
  ventana_->show();
  ventana_->raise();
  ventana_->activateWindow();
}

void Ayuda::seguirAlDialogoModal() {
  if (!ventana_ || !ventana_->windowHandle()) return;
  QWindow* modal = QGuiApplication::modalWindow();
  if (modal && modal != ventana_->windowHandle()) {
    ventana_->windowHandle()->setTransientParent(modal);
  }
}

TeclaDeAyuda::TeclaDeAyuda(std::function<void()> pedir) : pedir_(std::move(pedir)) {
  qApp->installEventFilter(this);
}

TeclaDeAyuda::~TeclaDeAyuda() { qApp->removeEventFilter(this); }

bool TeclaDeAyuda::eventFilter(QObject* objeto, QEvent* evento) {
  if (evento->type() == QEvent::KeyPress) {
    const auto* tecla = static_cast<QKeyEvent*>(evento);
    if (tecla->key() == Qt::Key_F1 && tecla->modifiers() == Qt::NoModifier) {
      pedir_();
      return true;
    }
  }
  return QObject::eventFilter(objeto, evento);
}

}  // namespace vestran
