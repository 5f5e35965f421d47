#include "mensajes/Informe.hpp"

namespace vestran {

void Informe::anotar(std::string tecnica, std::string llana) {
  tecnicas_.push_back(std::move(tecnica));
  if (!llana.empty()) llanas_.push_back(std::move(llana));
}

void Recuento::contar(std::string ejemplo) {
  ++total_;
  if (ejemplos_.size() < maximo_) ejemplos_.push_back(std::move(ejemplo));
}

void Recuento::anotarEn(Informe& informe) const {
  if (total_ == 0) return;
  std::string linea = descripcion_ + ": " + std::to_string(total_);
  for (std::size_t i = 0; i < ejemplos_.size(); ++i) {
    linea += (i == 0 ? " (por ejemplo: " : "; ") + ejemplos_[i];
  }
  if (!ejemplos_.empty()) linea += total_ > ejemplos_.size() ? "; …)" : ")";
  informe.anotar(std::move(linea), llana_.empty() ? "" : llana_ + ": " + std::to_string(total_));
}

}  // namespace vestran
