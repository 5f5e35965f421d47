#pragma once

// The run report: what a job dropped, changed or found out of shape, one Spanish line each.

#include <cstddef>
#include <string>
#include <vector>

namespace vestran {

class Informe {
 public:
  void anotar(std::string linea) { lineas_.push_back(std::move(linea)); }
  const std::vector<std::string>& lineas() const { return lineas_; }
  bool vacio() const { return lineas_.empty(); }

 private:
  std::vector<std::string> lineas_;
};

// Counts the cases of one kind and keeps the first few as examples, for reports where one
// line per case would drown the reader.
class Recuento {
 public:
  explicit Recuento(std::string descripcion, std::size_t ejemplos = 5)
      : descripcion_(std::move(descripcion)), maximo_(ejemplos) {}
  void contar(std::string ejemplo);
  std::size_t total() const { return total_; }
  // Adds "<descripción>: N (por ejemplo: a; b; c)" when there was any case.
  void anotarEn(Informe& informe) const;

 private:
  std::string descripcion_;
  std::size_t maximo_;
  std::size_t total_ = 0;
  std::vector<std::string> ejemplos_;
};

}  // namespace vestran
