#include "MainForm/TMForm.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>

#include <iostream>

#include "MainForm/Componentes.hpp"
#include "MainForm/GradientPanel.hpp"
#include "MainForm/Interaccion.hpp"
#include "exportar/Exportacion.hpp"
#include "importar/Importacion.hpp"
#include "store/os_file.hpp"
#include "store/planner_dir.hpp"
#include "vestran/version.hpp"

namespace vestran {

namespace {

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

QPushButton* boton(const QString& texto, QStyle::StandardPixmap glifo, QWidget* padre,
                   const QRect& donde) {
  auto* b = new QPushButton(texto, padre);
  b->setGeometry(donde);
  if (glifo != QStyle::SP_CustomBase) b->setIcon(padre->style()->standardIcon(glifo));
  return b;
}

std::string texto(const QString& s) { return s.toStdString(); }

QString informe(const Informe& i) {
  QStringList lineas;
  for (const std::string& l : i.lineas()) lineas << QString::fromStdString(l);
  return lineas.join('\n');
}

}  // namespace

TMForm::TMForm(Interaccion& interaccion, const std::vector<std::string>& parametros,
               std::filesystem::path archivoEstado, QWidget* parent)
    : QWidget(parent),
      interaccion_(interaccion),
      arranque_(arranqueDesdeParametros(parametros)),
      archivoEstado_(std::move(archivoEstado)) {
  crearComponentes();
}

void TMForm::crearComponentes() {
  setWindowTitle(QStringLiteral("Exportar e importar datos entre Dalmerin y Colmeda "));
  setFont(fuente(QStringLiteral("MS Sans Serif"), 11, false));
  setFixedSize(632, 266);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                 Qt::WindowTitleHint);

  const QFont titulo = fuente(QStringLiteral("Arial"), 16, true);
  Draw3D2 = new GradientPanel(QColor(0xF9, 0xD3, 0x7D), Qt::white, QColor(0xFF, 0xEE, 0xDD), this);
  Draw3D2->setGeometry(0, 0, 315, 168);
  Label3 = etiqueta(QStringLiteral("Transformar datos desde Colmeda hacia Dalmerin "), Draw3D2,
                    QRect(24, 24, 265, 57), titulo);
  BExportar = boton(QStringLiteral("OK"), QStyle::SP_DialogOkButton, Draw3D2, QRect(96, 120, 89, 25));

  Draw3D3 = new GradientPanel(QColor(0xF9, 0xD3, 0x7D), Qt::white, QColor(0xFF, 0xEE, 0xDD), this);
  Draw3D3->setGeometry(316, 0, 317, 168);
  Label4 = etiqueta(QStringLiteral("Transformar datos desde Dalmerin hacia Colmeda"), Draw3D3,
                    QRect(8, 24, 305, 57), titulo);
  BImportar = boton(QStringLiteral("OK"), QStyle::SP_DialogOkButton, Draw3D3, QRect(96, 120, 89, 25));

  Draw3D1 = new GradientPanel(QColor(0xC2, 0xCD, 0xFE), QColor(0xCF, 0xF2, 0xFE),
                              QColor(0xCC, 0xD8, 0xE6), this);
  Draw3D1->setGeometry(0, 168, 633, 97);
  Label1 = new QLabel(QString::fromUtf8("Versión ") + QString::fromLatin1(kVersion), Draw3D1);
  Label1->setFont(fuente(QStringLiteral("MS Sans Serif"), 11, true));
  Label1->setStyleSheet(QStringLiteral("color: red;"));
  Label1->move(8, 72);
  Label1->adjustSize();
  BClose = boton(QStringLiteral("&Salir"), QStyle::SP_DialogCloseButton, Draw3D1, QRect(256, 32, 89, 25));
  Button1 = boton(QStringLiteral("F1 Ayuda"), QStyle::SP_CustomBase, Draw3D1, QRect(512, 56, 75, 25));

  connect(BExportar, &QPushButton::clicked, this, &TMForm::BExportarClick);
  connect(BImportar, &QPushButton::clicked, this, &TMForm::BImportarClick);
  connect(BClose, &QPushButton::clicked, this, &QWidget::close);
  connect(Button1, &QPushButton::clicked, this, &TMForm::Button1Click);
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  f1->setContext(Qt::ApplicationShortcut);
  connect(f1, &QShortcut::activated, this, &TMForm::Button1Click);

  if (const QScreen* pantalla = QGuiApplication::primaryScreen()) {
    move(pantalla->availableGeometry().center() - rect().center());
  }
}

void TMForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (mostrado_) return;
  mostrado_ = true;
  // The batch job starts once the window is on the screen.
  QTimer::singleShot(0, this, &TMForm::FormShow);
}

void TMForm::FormShow() {
  if (arranque_.ModoLote != 2) return;
  if (arranque_.trabajo == Trabajo::importar) BImportarClick();
  if (arranque_.trabajo == Trabajo::exportar) BExportarClick();
}

void TMForm::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TMForm::FormClose() {
  if (arranque_.ModoLote != 2) return;
  try {
    escribirEstado(archivoEstado_, EstadoTransformado_);
  } catch (const std::exception& e) {
    estadoEscrito_ = false;
    std::cerr << e.what() << std::endl;
    interaccion_.error(this, QString::fromStdString(e.what()));
  }
}

std::filesystem::path TMForm::documento() const { return os::pathFromUtf8(texto(filenameXML_)); }

bool TMForm::elegirDocumento(const QString& mensajeSinArchivo) {
  // A cancelled dialog keeps the last confirmed choice.
  if (const auto elegido = interaccion_.elegirDocumento(this)) filenameXML_ = *elegido;
  std::error_code ec;
  if (!filenameXML_.isEmpty() && std::filesystem::is_regular_file(documento(), ec)) return true;
  interaccion_.mensaje(this, mensajeSinArchivo);
  if (arranque_.ModoLote == 2) {
    EstadoTransformado_ = kEstadoSinArchivo;
    close();
  }
  return false;
}

void TMForm::terminado(const QString& detalles) {
  EstadoTransformado_ = kEstadoTerminado;
  interaccion_.mensaje(this, kProcesoFinalizado, detalles);
  BExportar->setEnabled(false);
  BImportar->setEnabled(false);
  if (arranque_.ModoLote == 2) close();
}

void TMForm::BExportarClick() {
  if (!elegirDocumento(kNoExisteArchivo)) return;
  QString detalles;
  try {
    CursorDeEspera cursor;
    OpcionesExportacion o;
    o.documento = documento();
    o.directorio = plannerDirectory(std::nullopt);
    o.formato = tableFormat(std::nullopt);
    o.elegirMarcos = [this](const SolicitudMarcos& s) { return interaccion_.elegirMarcos(this, s); };
    const ResultadoExportacion r = Exportacion(std::move(o)).ejecutar();
    detalles = informe(r.informe);
  } catch (const std::exception& e) {
    interaccion_.error(this, QString::fromStdString(e.what()));
    return;
  }
  terminado(detalles);
}

void TMForm::BImportarClick() {
  interaccion_.mensaje(this, kAntesDeImportar);
  if (!elegirDocumento(kNoExisteArchivoXml)) return;
  QString detalles;
  try {
    CursorDeEspera cursor;
    const ResultadoImportacion r = importar({documento(), plannerDirectory(std::nullopt)});
    detalles = QString::fromUtf8("Resultado: ") + QString::fromStdString(os::pathToUtf8(r.archivo)) +
               QString::fromUtf8("\nElementos <tramo> escritos: ") + QString::number(r.tramos);
    if (!r.informe.vacio()) detalles += "\n\n" + informe(r.informe);
  } catch (const std::exception& e) {
    interaccion_.error(this, QString::fromStdString(e.what()));
    return;
  }
  terminado(detalles);
}

void TMForm::Button1Click() { interaccion_.ayuda(this); }

}  // namespace vestran
