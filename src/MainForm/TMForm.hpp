#pragma once

// The main window: two job buttons (export to the planner, import from it), close and
// help; batch mode and its status file.

#include <QString>
#include <QWidget>

#include <filesystem>
#include <string>
#include <vector>

#include "modos/Arranque.hpp"

class QLabel;
class QPushButton;

namespace vestran {

class GradientPanel;
class Interaccion;

class TMForm : public QWidget {
 public:
  // `parametros`: the command-line parameters after the program's name.
  // `archivoEstado`: where batch mode writes its status.
  TMForm(Interaccion& interaccion, const std::vector<std::string>& parametros,
         std::filesystem::path archivoEstado, QWidget* parent = nullptr);

  int ModoLote() const { return arranque_.ModoLote; }
  int EstadoTransformado() const { return EstadoTransformado_; }
  const QString& filenameXML() const { return filenameXML_; }
  // False when batch mode could not write the status file on closing.
  bool estadoEscrito() const { return estadoEscrito_; }

  QPushButton* BExportar = nullptr;
  QPushButton* BImportar = nullptr;
  QPushButton* BClose = nullptr;
  QPushButton* Button1 = nullptr;

  // The jobs, as the buttons start them.
  void BExportarClick();
  void BImportarClick();
  void Button1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void crearComponentes();
  void FormShow();
  void FormClose();
  // Asks for the document; false (after the missing-file message) when there is none.
  bool elegirDocumento(const QString& mensajeSinArchivo);
  void terminado(const QString& detalles);
  std::filesystem::path documento() const;

  Interaccion& interaccion_;
  Arranque arranque_;
  std::filesystem::path archivoEstado_;
  QString filenameXML_;
  int EstadoTransformado_ = kEstadoSinTerminar;
  bool mostrado_ = false;
  bool estadoEscrito_ = true;

  GradientPanel* Draw3D1 = nullptr;
  GradientPanel* Draw3D2 = nullptr;
  GradientPanel* Draw3D3 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
};

// The system's fixed messages.
inline const QString kNoExisteArchivo = QStringLiteral("No existe archivo");
inline const QString kNoExisteArchivoXml = QStringLiteral("No existe archivo XML.");
inline const QString kProcesoFinalizado = QStringLiteral("Proceso finalizado");
inline const QString kAntesDeImportar = QString::fromUtf8(
    "Deberá Abrir el fichero XML de COLMEDA,\r\ndesde el cual realizó la Importación a Dalmerin");
inline const QString kTituloAplicacion = QStringLiteral("TransVestranColmeda");

}  // namespace vestran
