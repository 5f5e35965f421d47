#include "ventanas/Ayuda.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include "mensajes/Mensajes.hpp"
#include "ventanas/Componentes.hpp"

namespace vestran {

Ayuda::Ayuda() {
  connect(qApp, &QGuiApplication::focusWindowChanged, this, &Ayuda::seguirAlDialogoModal);
}

void Ayuda::mostrar() {
#ifdef _WIN32
  const QString chm =
      QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("COLMEDA.chm"));
  if (QFile::exists(chm) && QDesktopServices::openUrl(QUrl::fromLocalFile(chm))) return;
#endif
  if (!ventana_) {
    ventana_ = new QWidget(nullptr, Qt::Window);
    ventana_->setAttribute(Qt::WA_DeleteOnClose);
    ventana_->setWindowTitle(QStringLiteral("Ayuda de ") + qtexto(kTituloAplicacion));
    ventana_->resize(640, 560);
    auto* texto = new QTextBrowser(ventana_);
    texto->setOpenExternalLinks(true);
    texto->setSource(QUrl(QStringLiteral("qrc:/ayuda/ayuda.html")));
    auto* capa = new QVBoxLayout(ventana_);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->addWidget(texto);
    ventana_->winId();  // the window exists from now on, so it can be given to a dialog
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
