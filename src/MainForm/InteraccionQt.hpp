#pragma once

#include <QPointer>

#include "MainForm/Interaccion.hpp"

class QDialog;

namespace vestran {

// The real dialogs, message boxes, chooser and help.
class InteraccionQt : public Interaccion {
 public:
  std::optional<QString> elegirDocumento(QWidget* padre) override;
  void mensaje(QWidget* padre, const QString& texto, const QString& detalles) override;
  void error(QWidget* padre, const QString& texto) override;
  std::vector<std::size_t> elegirMarcos(QWidget* padre, const SolicitudMarcos& solicitud) override;
  void ayuda(QWidget* padre) override;

 private:
  QPointer<QDialog> ayuda_;
};

}  // namespace vestran
