#pragma once

// The time-frame chooser: the user picks one or two of the document's frames.

#include <QDialog>
#include <QString>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "exportar/SolicitudMarcos.hpp"
#include "store/xml/document.hpp"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace vestran {

class GradientPanel;

class TPlantillas : public QDialog {
 public:
  using Mensaje = std::function<void(QWidget* padre, const QString& texto)>;

  // `documento`: the exchange document; the dialog reads its own copy when shown.
  // `mensaje` shows the selection messages (a modal message box unless given).
  explicit TPlantillas(std::filesystem::path documento, QWidget* parent = nullptr,
                       Mensaje mensaje = {});

  // Set when the dialog closes: whether one or two frames were chosen, and the chosen
  // identifiers in 10-character slots, in list order.
  bool resultMH = false;
  QString resultado;
  // The rows chosen when the dialog closed, in list order.
  const std::vector<std::size_t>& seleccionados() const { return seleccionados_; }
  // Why the dialog could not list the frames, when it could not.
  const std::optional<QString>& cargaFallida() const { return cargaFallida_; }

  QListWidget* ListBox2 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QComboBox* ComboBoxPlantilla = nullptr;
  QPushButton* BitBtnContinuar = nullptr;
  // Says, beside the list of frames, why the frame last clicked would give the planner
  // nothing as it stands; hidden when it can be exported.
  QLabel* LabelAviso = nullptr;

  // Loads the document and fills the lists (runs when the dialog is shown).
  void FormActivate();

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int resultado) override;

 private:
  void ComboBoxPlantillaChange();
  void ListBox2Click();
  void FormClose();

  std::filesystem::path documento_;
  Mensaje mensaje_;
  Document XMLDoc_;
  std::vector<MarcoHorario> marcos_;
  std::vector<std::size_t> seleccionados_;
  std::optional<QString> cargaFallida_;
  bool activado_ = false;
  bool cerrado_ = false;
};

}  // namespace vestran
