#include "MainForm/InteraccionQt.hpp"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "MainForm/DialogoFinal.hpp"
#include "Plantihoras/TPlantillas.hpp"
#include "mensajes/Mensajes.hpp"
#include "modos/CarpetaPlanificador.hpp"
#include "store/os/paths.hpp"
#include "ventanas/Componentes.hpp"

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
  return QDir::toNativeSeparators(qtexto(os::pathToUtf8(p)));
}

}  // namespace

std::optional<QString> InteraccionQt::elegirDocumento(QWidget* padre) {
  CursorNormal cursor;
  // The planner's "sauce" folder, or the planner folder, where they exist.
  QString inicial;
  std::error_code ec;
  const auto carpeta = carpetaDelPlanificador(std::nullopt);
  for (const auto& c : {carpeta / "sauce", carpeta}) {
    if (inicial.isEmpty() && std::filesystem::is_directory(c, ec)) inicial = nativa(c);
  }
  QFileDialog dialogo(padre, qtexto(kTituloDialogoXml), inicial, QStringLiteral("*.xml (*.xml)"));
#ifndef _WIN32
  // Qt's own dialog: it speaks Spanish with Qt's translation and passes F1 to the help.
  // On Windows the system's own, which users know: their folders, network places, search.
  dialogo.setOption(QFileDialog::DontUseNativeDialog);
#endif
  dialogo.setAcceptMode(QFileDialog::AcceptOpen);
  // The job itself checks that the file exists.
  dialogo.setFileMode(QFileDialog::AnyFile);
  dialogo.setDefaultSuffix(QStringLiteral("xml"));
  if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return std::nullopt;
  return dialogo.selectedFiles().first();
}

void InteraccionQt::mensaje(QWidget* padre, const QString& texto, const QString& informativo) {
  CursorNormal cursor;
  QMessageBox caja(QMessageBox::NoIcon, qtexto(kTituloAplicacion), texto, QMessageBox::Ok, padre);
  caja.setInformativeText(informativo);
  anchoDeLectura(caja);
  caja.exec();
}

TrasFinal InteraccionQt::finalizado(QWidget* padre, const Resumen& resumen, const QString& detalles,
                                    bool ofrecerRestaurar) {
  CursorNormal cursor;
  DialogoFinal dialogo(resumen, detalles, ofrecerRestaurar, padre);
  return dialogo.exec() == DialogoFinal::kRestaurar ? TrasFinal::restaurar : TrasFinal::aceptar;
}

void InteraccionQt::error(QWidget* padre, const QString& texto) {
  CursorNormal cursor;
  QMessageBox caja(QMessageBox::Critical, qtexto(kTituloAplicacion), texto, QMessageBox::Ok, padre);
  anchoDeLectura(caja);
  caja.exec();
}

std::vector<std::size_t> InteraccionQt::elegirMarcos(QWidget* padre,
                                                     const SolicitudMarcos& solicitud) {
  CursorNormal cursor;
  TPlantillas Plantillas(solicitud.documento, padre);
  Plantillas.exec();
  if (const auto& motivo = Plantillas.cargaFallida()) {
    // Without frames to choose from no choice is possible: the export stops here.
    throw ExportacionCancelada(
        QString::fromUtf8("Exportación cancelada: el selector de marcos horarios no pudo leer "
                          "el documento.\n%1\n%2")
            .arg(*motivo, qtexto(kNingunaTablaModificada))
            .toStdString());
  }
  return Plantillas.seleccionados();
}

}  // namespace vestran
