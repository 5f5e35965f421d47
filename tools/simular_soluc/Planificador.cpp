#include "simular_soluc/Planificador.hpp"

#include <map>
#include <set>
#include <string>
#include <vector>

#include "store/table/table.hpp"

namespace vestran::simulador {

namespace {

// A small generator whose sequence is the same on every system (the standard
// distributions are not).
class Azar {
 public:
  explicit Azar(std::uint32_t semilla) : estado_(semilla * 2654435761u + 1) {}
  std::uint32_t siguiente() {
    estado_ ^= estado_ << 13;
    estado_ ^= estado_ >> 17;
    estado_ ^= estado_ << 5;
    return estado_;
  }
  std::size_t menorQue(std::size_t n) { return n == 0 ? 0 : siguiente() % n; }

 private:
  std::uint32_t estado_;
};

struct Periodo {
  std::int64_t dia;
  std::int64_t hora;
  bool operator<(const Periodo& o) const { return dia != o.dia ? dia < o.dia : hora < o.hora; }
};

const std::vector<FieldDef> kCamposSoluc = {
    {"DIA", FieldKind::integer},
    {"HORA", FieldKind::integer},
    {"MARCO", FieldKind::character, 1},
    {"AULA", FieldKind::character, 10},
    {"ASIG", FieldKind::character, 10},
    {"CODGRUPO", FieldKind::character, 10},
    {"PROF", FieldKind::character, 10},
    {"TURNO", FieldKind::character, 1},
    {"NIVEL", FieldKind::character, 5},
    {"CURSO", FieldKind::character, 3},
    {"GRUPO", FieldKind::character, 2},
    {"TAREA", FieldKind::character, 10},
    {"SESIONES", FieldKind::character, 20},
};

}  // namespace

Resumen simular(const Opciones& opciones) {
  const auto& dir = opciones.directorio;
  Azar azar(opciones.semilla);

  std::map<std::string, std::vector<Periodo>> periodosPorLetra;
  {
    Table t = Table::open(dir, "DIASHORAST");
    for (t.first(); !t.eof(); t.next()) {
      periodosPorLetra[t.text("MARCO")].push_back({t.integer("DIA"), t.integer("HORA")});
    }
  }
  std::map<std::string, std::string> letraDeGrupo;
  {
    Table t = Table::open(dir, "GRUPOST");
    for (t.first(); !t.eof(); t.next()) letraDeGrupo[t.text("ABREV")] = t.text("MARCO");
  }
  std::vector<std::string> aulas;
  {
    Table t = Table::open(dir, "AULAT");
    for (t.first(); !t.eof(); t.next()) {
      if (t.text("CL_GENERICA") == "N") aulas.push_back(t.text("ABREV"));
    }
  }

  Table::recreate(dir, "SOLUC", kCamposSoluc, TableFormat::level7);
  Table soluc = Table::open(dir, "SOLUC");
  Table asig = Table::open(dir, "ASIGT");
  std::map<std::string, std::set<Periodo>> ocupadoPorGrupo;
  std::map<Periodo, std::set<std::string>> aulasOcupadas;
  Resumen resumen;
  for (asig.first(); !asig.eof(); asig.next()) {
    const std::string grupo = asig.text("CGRUP");
    const auto letra = letraDeGrupo.count(grupo) ? letraDeGrupo[grupo] : std::string("0");
    const auto& periodos = periodosPorLetra[letra];
    auto& ocupado = ocupadoPorGrupo[grupo];
    const std::int64_t lecciones = asig.integer("HORAS");
    for (std::int64_t n = 0; n < lecciones; ++n) {
      // A free period of the group's frame, looked for from a random start.
      std::optional<Periodo> elegido;
      const std::size_t inicio = azar.menorQue(periodos.size());
      for (std::size_t k = 0; k < periodos.size() && !elegido; ++k) {
        const Periodo& p = periodos[(inicio + k) % periodos.size()];
        if (!ocupado.count(p)) elegido = p;
      }
      // Now and then the planner leaves a lesson unplaced.
      if (azar.menorQue(50) == 0) elegido.reset();
      std::string aula;
      if (elegido) {
        ocupado.insert(*elegido);
        if (!aulas.empty() && azar.menorQue(4) != 0) {
          auto& libres = aulasOcupadas[*elegido];
          const std::string candidata = aulas[azar.menorQue(aulas.size())];
          if (!libres.count(candidata)) {
            aula = candidata;
            libres.insert(aula);
          }
        }
      }
      soluc.append();
      soluc.setInteger("DIA", elegido ? elegido->dia : 0);
      soluc.setInteger("HORA", elegido ? elegido->hora : 0);
      soluc.setText("MARCO", letra);
      soluc.setText("AULA", aula);
      soluc.setText("ASIG", asig.text("CASIG"));
      soluc.setText("CODGRUPO", grupo);
      soluc.setText("PROF", asig.text("CPROF"));
      soluc.setText("NIVEL", asig.text("NIVEL"));
      soluc.setText("CURSO", asig.text("CURSO"));
      soluc.setText("GRUPO", asig.text("GRUPO"));
      soluc.setText("TAREA", asig.text("CTAREA"));
      soluc.setText("SESIONES", asig.text("SESIONES"));
      soluc.post();
      if (!elegido) {
        ++resumen.sinColocar;
      } else {
        ++resumen.colocadas;
        if (aula.empty()) ++resumen.sinAula;
      }
    }
  }
  soluc.close();
  return resumen;
}

}  // namespace vestran::simulador
