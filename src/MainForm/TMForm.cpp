#include "MainForm/TMForm.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <iostream>
#include <new>

#include "MainForm/Interaccion.hpp"
#include "exportar/Exportacion.hpp"
#include "exportar/Restauracion.hpp"
#include "importar/Importacion.hpp"
#include "intercambio/DocumentoDeIntercambio.hpp"
#include "mensajes/Fallos.hpp"
#include "mensajes/Mensajes.hpp"
#include "modos/CarpetaPlanificador.hpp"
#include "store/errors.hpp"
#include "store/os/paths.hpp"
#include "ventanas/Ayuda.hpp"
#include "ventanas/Componentes.hpp"
#include "ventanas/GradientPanel.hpp"
#include "vestran/version.hpp"

namespace vestran {

namespace {

// The window repaints at most this often while a job runs.
constexpr int kMilisegundosEntrePintadas = 50;

// The hourglass while a job runs; the usual cursor comes back however the job ends.
class CursorDeEspera {
 public:
  CursorDeEspera() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~CursorDeEspera() { restaurar(); }
  void restaurar() {
    if (activo_) QApplication::restoreOverrideCursor();
    activo_ = false;
  }
  CursorDeEspera(const CursorDeEspera&) = delete;
  CursorDeEspera& operator=(const CursorDeEspera&) = delete;

 private:
  bool activo_ = true;
};

QPushButton* boton(const QString& texto, const QIcon& glifo, QWidget* padre, const QRect& donde) {
  auto* b = new QPushButton(texto, padre);
  b->setGeometry(donde);
  if (!glifo.isNull()) b->setIcon(glifo);
  return b;
}

QString enPalabras(const std::vector<std::string>& lineasLlanas) {
  QStringList lineas;
  for (const std::string& l : lineasLlanas) lineas << qtexto(l);
  return lineas.join('\n');
}

bool esEntradaDelUsuario(QEvent::Type t) {
  switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
      return true;
    default:
      return false;
  }
}

}  // namespace

TMForm::TMForm(Interaccion& interaccion, const std::vector<std::string>& parametros,
               ArchivoDeEstado archivoEstado, QWidget* parent)
    : QWidget(parent),
      interaccion_(interaccion),
      arranque_(arranqueDesdeParametros(parametros)),
      archivoEstado_(std::move(archivoEstado)) {
  crearComponentes();
  // F1 in any window of the program, dialogs and message boxes included.
  teclaDeAyuda_ = std::make_unique<TeclaDeAyuda>([this] { Button1Click(); });
}

TMForm::~TMForm() = default;

void TMForm::crearComponentes() {
  setWindowTitle(qtexto(kTituloVentana));
  setFont(fuente(QStringLiteral("MS Sans Serif"), 11));
  setFixedSize(632, 266);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                 Qt::WindowTitleHint);

  const QFont titulo = fuente(QStringLiteral("Arial"), 16, {.negrita = true});
  const QIcon visto = iconoDeVisto();
  Draw3D2 = new GradientPanel(QColor(0xF9, 0xD3, 0x7D), Qt::white, QColor(0xFF, 0xEE, 0xDD), this);
  Draw3D2->setGeometry(0, 0, 315, 168);
  Label3 = etiqueta(QStringLiteral("Transformar datos desde Colmeda hacia Dalmerin "), Draw3D2,
                    QRect(24, 24, 265, 57), titulo);
  BExportar = boton(QStringLiteral("OK"), visto, Draw3D2, QRect(96, 120, 89, 25));

  Draw3D3 = new GradientPanel(QColor(0xF9, 0xD3, 0x7D), Qt::white, QColor(0xFF, 0xEE, 0xDD), this);
  Draw3D3->setGeometry(316, 0, 317, 168);
  Label4 = etiqueta(QStringLiteral("Transformar datos desde Dalmerin hacia Colmeda"), Draw3D3,
                    QRect(8, 24, 305, 57), titulo);
  BImportar = boton(QStringLiteral("OK"), visto, Draw3D3, QRect(96, 120, 89, 25));

  Draw3D1 = new GradientPanel(QColor(0xC2, 0xCD, 0xFE), QColor(0xCF, 0xF2, 0xFE),
                              QColor(0xCC, 0xD8, 0xE6), this);
  Draw3D1->setGeometry(0, 168, 633, 97);
  Label1 = new QLabel(QString::fromUtf8("Versión ") + QString::fromLatin1(kVersion), Draw3D1);
  Label1->setFont(fuente(QStringLiteral("MS Sans Serif"), 11, {.negrita = true}));
  Label1->setStyleSheet(QStringLiteral("color: red;"));
  Label1->move(8, 72);
  Label1->adjustSize();
  LabelProgreso = new QLabel(Draw3D1);
  LabelProgreso->setGeometry(8, 6, 617, 20);
  LabelProgreso->hide();
  BClose = boton(QStringLiteral("&Salir"), style()->standardIcon(QStyle::SP_DialogCloseButton),
                 Draw3D1, QRect(256, 32, 89, 25));
  Button1 = boton(QStringLiteral("F1 Ayuda"), QIcon(), Draw3D1, QRect(512, 56, 75, 25));

  connect(BExportar, &QPushButton::clicked, this, &TMForm::BExportarClick);
  connect(BImportar, &QPushButton::clicked, this, &TMForm::BImportarClick);
  connect(BClose, &QPushButton::clicked, this, &QWidget::close);
  connect(Button1, &QPushButton::clicked, this, &TMForm::Button1Click);

  if (const QScreen* pantalla = QGuiApplication::primaryScreen()) {
    move(pantalla->availableGeometry().center() - rect().center());
  }
}

void TMForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (mostrado_) return;
  mostrado_ = true;
  // The focused button shows its cue from the start, not only after a key is pressed.
  BExportar->setFocus();
  setAttribute(Qt::WA_KeyboardFocusChange);
  // The batch job starts once the window is on the screen.
  QTimer::singleShot(0, this, &TMForm::FormShow);
}

void TMForm::FormShow() {
  if (!arranque_.enLote()) return;
  if (arranque_.trabajo == Trabajo::importar) BImportarClick();
  if (arranque_.trabajo == Trabajo::exportar) BExportarClick();
}

void TMForm::closeEvent(QCloseEvent* event) {
  // Closing in the middle of a job would leave it half done: the window closes once the
  // job ends.
  if (trabajando_) {
    cerrarAlTerminar_ = true;
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TMForm::keyPressEvent(QKeyEvent* event) {
  // Return presses the button that has the focus, as Windows users expect.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (auto* b = qobject_cast<QPushButton*>(focusWidget()); b && b->isEnabled()) {
      b->click();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

bool TMForm::eventFilter(QObject* objeto, QEvent* evento) {
  // While a job runs the window takes no input of its own; the dialogs the job opens are
  // windows of their own and do.
  if (trabajando_ && esEntradaDelUsuario(evento->type())) {
    if (auto* w = qobject_cast<QWidget*>(objeto); w && w->window() == this) return true;
    if (objeto == windowHandle()) return true;
  }
  return QWidget::eventFilter(objeto, evento);
}

void TMForm::FormClose() {
  if (!arranque_.enLote()) return;
  try {
    escribirEstado(archivoEstado_, EstadoTransformado_);
  } catch (const Error& e) {
    estadoEscrito_ = false;
    std::cerr << e.what() << std::endl;
    interaccion_.error(this, qtexto(e.what()));
    return;
  }
  if (!archivoEstado_.junto) {
    // The calling program looks beside the program: say where the status went.
    const QString donde = qtexto(os::pathForUser(archivoEstado_.ruta));
    std::cerr << "El estado del trabajo se ha escrito en " << donde.toStdString()
              << ", porque la carpeta del programa no admite escritura." << std::endl;
    interaccion_.mensaje(this,
                         QStringLiteral("El estado del trabajo (Dalmerin.ini) se ha escrito en "
                                        "%1, porque la carpeta del programa no admite escritura.")
                             .arg(donde),
                         QStringLiteral("Instale vestran en una carpeta suya para que el "
                                        "programa que lo llamó lo encuentre junto a vestran."));
  }
}

std::filesystem::path TMForm::documento() const {
  return os::pathFromUtf8(filenameXML_.toStdString());
}

bool TMForm::elegirDocumento(const QString& mensajeSinArchivo) {
  // A cancelled dialog keeps the last confirmed choice.
  const auto elegido = interaccion_.elegirDocumento(this);
  if (elegido) filenameXML_ = *elegido;
  if (!filenameXML_.isEmpty() && existeDocumento(documento())) return true;
  interaccion_.mensaje(
      this, mensajeSinArchivo,
      filenameXML_.isEmpty()
          ? QStringLiteral("No se eligió ningún documento: la ventana para elegirlo se cerró "
                           "sin elegir.")
          : QStringLiteral("No se encuentra el archivo %1.")
                .arg(qtexto(os::pathForUser(documento()))));
  if (arranque_.enLote()) {
    EstadoTransformado_ = EstadoTransformado::sinArchivo;
    close();
  }
  return false;
}

void TMForm::mostrarProgreso(const Progreso& p) {
  LabelProgreso->setText(qtexto(textoDeProgreso(p)));
}

std::optional<TMForm::Final> TMForm::ejecutar(
    const std::function<Final(const AvisoDeProgreso&)>& trabajo) {
  std::optional<Final> final;
  {
    CursorDeEspera cursor;
    trabajando_ = true;
    qApp->installEventFilter(this);
    // Visibly out of reach while the job runs.
    const bool exportar = BExportar->isEnabled();
    const bool importar = BImportar->isEnabled();
    BExportar->setEnabled(false);
    BImportar->setEnabled(false);
    LabelProgreso->clear();
    LabelProgreso->show();
    // The closed file dialog leaves no trace: the window is painted before the work.
    repaint();
    QElapsedTimer desdePintada;  // not started: the first word of the job shows at once
    const AvisoDeProgreso progreso = [&](const Progreso& p) {
      if (desdePintada.isValid() && desdePintada.elapsed() < kMilisegundosEntrePintadas) return;
      mostrarProgreso(p);
      QCoreApplication::processEvents();
      desdePintada.restart();
    };
    QString fallo;
    try {
      final = trabajo(progreso);
    } catch (...) {
      fallo = qtexto(mensajeDelFallo().texto);
    }
    qApp->removeEventFilter(this);
    trabajando_ = false;
    LabelProgreso->hide();
    BExportar->setEnabled(exportar);
    BImportar->setEnabled(importar);
    cursor.restaurar();
    if (!final) interaccion_.error(this, fallo);
  }
  return final;
}

void TMForm::terminado(const Final& final) {
  EstadoTransformado_ = EstadoTransformado::terminado;
  BExportar->setEnabled(false);
  BImportar->setEnabled(false);
  LabelProgreso->setText(
      QStringLiteral("Trabajo terminado. Para hacer otro, cierre vestran y "
                     "vuelva a abrirlo."));
  LabelProgreso->show();
  if (interaccion_.finalizado(this, final.resumen, final.detalles, final.deshacible) ==
      TrasFinal::restaurar) {
    restaurarTablas();
  }
  if (arranque_.enLote() || cerrarAlTerminar_) close();
}

void TMForm::restaurarTablas() {
  const auto restaurado = ejecutar([](const AvisoDeProgreso&) {
    const ResultadoRestauracion r = restaurarTablasAnteriores(carpetaDelPlanificador(std::nullopt));
    return Final{resumir(r), {}, false};
  });
  LabelProgreso->show();
  if (!restaurado) return;
  // The export was undone: nothing of this document's stands.
  EstadoTransformado_ = EstadoTransformado::sinTerminar;
  interaccion_.finalizado(this, restaurado->resumen, {}, false);
}

void TMForm::terminarTrabajo(const std::optional<Final>& final) {
  if (final)
    terminado(*final);
  else if (cerrarAlTerminar_)
    close();
}

void TMForm::BExportarClick() {
  if (!elegirDocumento(qtexto(kNoExisteArchivo))) return;
  terminarTrabajo(ejecutar([this](const AvisoDeProgreso& progreso) {
    OpcionesExportacion o;
    o.documento = documento();
    o.directorio = carpetaDelPlanificador(std::nullopt);
    o.formato = formatoDeTablas(std::nullopt);
    o.elegirMarcos = [this](const SolicitudMarcos& s) {
      // The job waits for the user, not the other way round: the window says so.
      LabelProgreso->setText(QStringLiteral("Esperando a que elija uno o dos marcos horarios "
                                            "en la ventana «%1»…")
                                 .arg(qtexto(kTituloSelector)));
      LabelProgreso->repaint();
      return interaccion_.elegirMarcos(this, s);
    };
    o.progreso = progreso;
    const ResultadoExportacion r = Exportacion(std::move(o)).ejecutar();
    return Final{resumir(r), enPalabras(r.informe.lineasLlanas()), hayTablasAnteriores(r.carpeta)};
  }));
}

void TMForm::BImportarClick() {
  interaccion_.mensaje(this, qtexto(kAntesDeImportar));
  if (!elegirDocumento(qtexto(kNoExisteArchivoXml))) return;
  terminarTrabajo(ejecutar([this](const AvisoDeProgreso& progreso) {
    const ResultadoImportacion r =
        importar({documento(), carpetaDelPlanificador(std::nullopt), progreso});
    std::vector<std::string> detalles = detallesParaElUsuario(r);
    for (const std::string& l : r.informe.lineasLlanas()) detalles.push_back(l);
    return Final{resumir(r), enPalabras(detalles), false};
  }));
}

void TMForm::Button1Click() { interaccion_.ayuda(); }

}  // namespace vestran
