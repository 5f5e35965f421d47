#pragma once

// The run report: what a job dropped, changed or found out of shape, one line each, in two
// registers: the technician's (element names, lines, table fields; the CLI prints it) and
// the user's plain words (the window's details). A line a user need not read has no plain
// form.

#include <cstddef>
#include <string>
#include <vector>

namespace vestran {

class Informe {
 public:
  void anotar(std::string tecnica, std::string llana = {});
  // Every line, in the technician's words.
  const std::vector<std::string>& lineas() const { return tecnicas_; }
  // The lines the user should read, in plain words.
  const std::vector<std::string>& lineasLlanas() const { return llanas_; }
  bool vacio() const { return tecnicas_.empty(); }

 private:
  std::vector<std::string> tecnicas_;
  std::vector<std::string> llanas_;
};

// Counts the cases of one kind and keeps the first few as examples, for reports where one
// line per case would drown the reader.
class Recuento {
 public:
  // `llana` (may be empty) is the plain form of the description.
  explicit Recuento(std::string descripcion, std::string llana = {}, std::size_t ejemplos = 5)
      : descripcion_(std::move(descripcion)), llana_(std::move(llana)), maximo_(ejemplos) {}
  void contar(std::string ejemplo);
  std::size_t total() const { return total_; }
  // Adds "<descripción>: N (por ejemplo: a; b; c)" when there was any case; the plain form
  // gives the count alone.
  void anotarEn(Informe& informe) const;

 private:
  std::string descripcion_;
  std::string llana_;
  std::size_t maximo_;
  std::size_t total_ = 0;
  std::vector<std::string> ejemplos_;
};

}  // namespace vestran
