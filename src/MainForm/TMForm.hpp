#pragma once

// The main window: two job buttons (export to the planner, import from it), close and
// help; batch mode and its status file.

#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mensajes/Progreso.hpp"
#include "mensajes/Resumen.hpp"
#include "modos/Arranque.hpp"

class QLabel;
class QPushButton;

namespace vestran {

class GradientPanel;
class Interaccion;
class TeclaDeAyuda;

class TMForm : public QWidget {
 public:
  // `parametros`: the command-line parameters after the program's name.
  // `archivoEstado`: where batch mode writes its status.
  TMForm(Interaccion& interaccion, const std::vector<std::string>& parametros,
         ArchivoDeEstado archivoEstado, QWidget* parent = nullptr);
  ~TMForm() override;

  int ModoLote() const { return arranque_.ModoLote; }
  vestran::EstadoTransformado EstadoTransformado() const { return EstadoTransformado_; }
  const QString& filenameXML() const { return filenameXML_; }
  // False when batch mode could not write the status file on closing.
  bool estadoEscrito() const { return estadoEscrito_; }
  // True while a job runs.
  bool trabajando() const { return trabajando_; }

  QPushButton* BExportar = nullptr;
  QPushButton* BImportar = nullptr;
  QPushButton* BClose = nullptr;
  QPushButton* Button1 = nullptr;
  // Names the table being written while a job runs.
  QLabel* LabelProgreso = nullptr;

  // The jobs, as the buttons start them.
  void BExportarClick();
  void BImportarClick();
  void Button1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* objeto, QEvent* evento) override;

 private:
  // What a completed job shows.
  struct Final {
    Resumen resumen;
    QString detalles;         // the report in plain words
    bool deshacible = false;  // an export with earlier tables to put back
  };

  void crearComponentes();
  void FormShow();
  void FormClose();
  // Asks for the document; false (after the missing-file message) when there is none.
  bool elegirDocumento(const QString& mensajeSinArchivo);
  // Runs a job in the frame all share: the busy cursor, the progress line, both job
  // buttons disabled and no input to this window meanwhile, the error box when it stops.
  // Returns what the job completed with; nothing when it stopped.
  std::optional<Final> ejecutar(const std::function<Final(const AvisoDeProgreso&)>& trabajo);
  // The end box of a completed job, and what it leads to (the earlier tables put back);
  // the window closes in batch mode, or when a close was asked for during the job.
  void terminarTrabajo(const std::optional<Final>& final);
  void terminado(const Final& final);
  void restaurarTablas();
  void mostrarProgreso(const Progreso& progreso);
  std::filesystem::path documento() const;

  Interaccion& interaccion_;
  Arranque arranque_;
  ArchivoDeEstado archivoEstado_;
  QString filenameXML_;
  vestran::EstadoTransformado EstadoTransformado_ = EstadoTransformado::sinTerminar;
  bool mostrado_ = false;
  bool estadoEscrito_ = true;
  bool trabajando_ = false;
  bool cerrarAlTerminar_ = false;
  std::unique_ptr<TeclaDeAyuda> teclaDeAyuda_;

  GradientPanel* Draw3D1 = nullptr;
  GradientPanel* Draw3D2 = nullptr;
  GradientPanel* Draw3D3 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
};

}  // namespace vestran
