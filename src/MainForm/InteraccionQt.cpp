#include "MainForm/InteraccionQt.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "MainForm/TMForm.hpp"
#include "Plantihoras/TPlantillas.hpp"
#include "store/os_file.hpp"
#include "store/planner_dir.hpp"

namespace vestran {

namespace {

// Lets the user see the usual cursor while a dialog asks something in the middle of a job.
class CursorNormal {
 public:
  CursorNormal() : habia_(QApplication::overrideCursor() != nullptr) {
    if (habia_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~CursorNormal() {
    if (habia_) QApplication::restoreOverrideCursor();
  }
  CursorNormal(const CursorNormal&) = delete;
  CursorNormal& operator=(const CursorNormal&) = delete;

 private:
  bool habia_;
};

QString nativa(const std::filesystem::path& p) {
  return QDir::toNativeSeparators(QString::fromStdString(os::pathToUtf8(p)));
}

}  // namespace

std::optional<QString> InteraccionQt::elegirDocumento(QWidget* padre) {
  CursorNormal cursor;
  // The planner's "sauce" folder, or the planner folder, where they exist.
  QString inicial;
  std::error_code ec;
  for (const auto& carpeta : {plannerDirectory(std::nullopt) / "sauce", plannerDirectory(std::nullopt)}) {
    if (inicial.isEmpty() && std::filesystem::is_directory(carpeta, ec)) inicial = nativa(carpeta);
  }
  QFileDialog dialogo(padre, QStringLiteral("Seleccione Archivo XML obtenido de COLMEDA"), inicial,
                      QStringLiteral("*.xml (*.xml)"));
  dialogo.setAcceptMode(QFileDialog::AcceptOpen);
  // The job itself checks that the file exists.
  dialogo.setFileMode(QFileDialog::AnyFile);
  dialogo.setDefaultSuffix(QStringLiteral("xml"));
  if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return std::nullopt;
  return dialogo.selectedFiles().first();
}

void InteraccionQt::mensaje(QWidget* padre, const QString& texto, const QString& detalles) {
  CursorNormal cursor;
  QMessageBox caja(QMessageBox::NoIcon, kTituloAplicacion, texto, QMessageBox::Ok, padre);
  if (!detalles.isEmpty()) caja.setDetailedText(detalles);
  caja.exec();
}

void InteraccionQt::error(QWidget* padre, const QString& texto) {
  CursorNormal cursor;
  QMessageBox caja(QMessageBox::Critical, kTituloAplicacion, texto, QMessageBox::Ok, padre);
  caja.exec();
}

std::vector<std::size_t> InteraccionQt::elegirMarcos(QWidget* padre, const SolicitudMarcos& solicitud) {
  CursorNormal cursor;
  while (true) {
    TPlantillas Plantillas(solicitud.documento, padre);
    Plantillas.exec();
    if (const auto& motivo = Plantillas.cargaFallida()) {
      // Without frames to choose from no choice is possible: the export stops here.
      throw ExportacionCancelada(
          QString::fromUtf8("Exportación cancelada: el selector de marcos horarios no pudo leer "
                            "el documento.\n%1").arg(*motivo).toStdString());
    }
    if (Plantillas.resultMH) return Plantillas.seleccionados();
  }
}

void InteraccionQt::ayuda(QWidget* padre) {
#ifdef _WIN32
  const QString chm = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("COLMEDA.chm"));
  if (QFile::exists(chm) && QDesktopServices::openUrl(QUrl::fromLocalFile(chm))) return;
#endif
  if (!ayuda_) {
    ayuda_ = new QDialog(padre);
    ayuda_->setAttribute(Qt::WA_DeleteOnClose);
    ayuda_->setWindowTitle(QStringLiteral("Ayuda de TransVestranColmeda"));
    ayuda_->resize(640, 560);
    auto* texto = new QTextBrowser(ayuda_);
    texto->setOpenExternalLinks(true);
    texto->setSource(QUrl(QStringLiteral("qrc:/ayuda/ayuda.html")));
    auto* capa = new QVBoxLayout(ayuda_);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->addWidget(texto);
  }
  ayuda_->show();
  ayuda_->raise();
  ayuda_->activateWindow();
}

}  // namespace vestran
