#pragma once

#include "MainForm/Interaccion.hpp"
#include "ventanas/Ayuda.hpp"

namespace vestran {

// The real dialogs, message boxes, chooser and help.
class InteraccionQt : public Interaccion {
 public:
  std::optional<QString> elegirDocumento(QWidget* padre) override;
  void mensaje(QWidget* padre, const QString& texto, const QString& informativo = {}) override;
  TrasFinal finalizado(QWidget* padre, const Resumen& resumen, const QString& detalles,
                       bool ofrecerRestaurar) override;
  void error(QWidget* padre, const QString& texto) override;
  std::vector<std::size_t> elegirMarcos(QWidget* padre, const SolicitudMarcos& solicitud) override;
  void ayuda() override { ayuda_.mostrar(); }

  const Ayuda& ayudaAbierta() const { return ayuda_; }

 private:
  Ayuda ayuda_;
};

}  // namespace vestran
