#pragma once

// Everything the windows ask of the user, behind one narrow interface, so that tests can
// answer in the user's place.

#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

#include "exportar/Exportacion.hpp"

class QWidget;

namespace vestran {

class Interaccion {
 public:
  virtual ~Interaccion() = default;

  // The open dialog for the exchange document; nullopt when the user cancels.
  virtual std::optional<QString> elegirDocumento(QWidget* padre) = 0;
  // A plain modal message with an OK button; `detalles` (the run report) behind it.
  virtual void mensaje(QWidget* padre, const QString& texto, const QString& detalles = {}) = 0;
  // The standard error box.
  virtual void error(QWidget* padre, const QString& texto) = 0;
  // The time-frame chooser, shown modally until one or two frames are chosen.
  // Throws ExportacionCancelada when the chooser cannot list the frames.
  virtual std::vector<std::size_t> elegirMarcos(QWidget* padre, const SolicitudMarcos& solicitud) = 0;
  // The help.
  virtual void ayuda(QWidget* padre) = 0;
};

}  // namespace vestran
