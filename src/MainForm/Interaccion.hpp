#pragma once

// Everything the windows ask of the user, behind one narrow interface, so that tests can
// answer in the user's place.

#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

#include "exportar/SolicitudMarcos.hpp"
#include "mensajes/Resumen.hpp"

class QWidget;

namespace vestran {

// What the user did with the end-of-run box.
enum class TrasFinal {
  aceptar,    // OK: the run stands
  restaurar,  // the earlier tables are to be put back (offered after an export)
};

class Interaccion {
 public:
  virtual ~Interaccion() = default;

  // The open dialog for the exchange document; nullopt when the user cancels.
  virtual std::optional<QString> elegirDocumento(QWidget* padre) = 0;
  // A plain modal message with an OK button; `informativo` (may be empty) goes below it.
  virtual void mensaje(QWidget* padre, const QString& texto, const QString& informativo = {}) = 0;
  // "Proceso finalizado", with the run's summary and warnings below it and its report in
  // plain words (`detalles`, possibly empty) behind a button. With `ofrecerRestaurar`, a
  // button puts the tables the export replaced back.
  virtual TrasFinal finalizado(QWidget* padre, const Resumen& resumen, const QString& detalles,
                               bool ofrecerRestaurar) = 0;
  // The standard error box.
  virtual void error(QWidget* padre, const QString& texto) = 0;
  // Shows the time-frame chooser once and returns the frames selected when it closed;
  // the run asks again while they are not one or two. Throws ExportacionCancelada when
  // the chooser cannot list the frames.
  virtual std::vector<std::size_t> elegirMarcos(QWidget* padre,
                                                const SolicitudMarcos& solicitud) = 0;
  // The help.
  virtual void ayuda() = 0;
};

}  // namespace vestran
