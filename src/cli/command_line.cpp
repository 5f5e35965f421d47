#include "cli/command_line.hpp"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "exportar/Exportacion.hpp"

namespace vestran::cli {

namespace {

// The options a command accepts.
enum class Option { dir, marcos, formato };

struct CommandSpec {
  std::string_view name;
  std::string_view argumentName;  // the one argument it takes; empty when it takes none
  std::vector<Option> options;

  bool accepts(Option o) const {
    return std::find(options.begin(), options.end(), o) != options.end();
  }
};

const CommandSpec kCommands[] = {
    {"exportar", "DOCUMENTO", {Option::dir, Option::marcos, Option::formato}},
    {"importar", "DOCUMENTO", {Option::dir}},
    {"marcos", "DOCUMENTO", {}},
    {"tabla", "FICHERO.DBF", {}},
    {"restaurar", "", {Option::dir}},
};

std::string listaDeTablas() {
  std::string lista;
  const auto tablas = tablasExportadas();
  for (std::size_t i = 0; i < tablas.size(); ++i) {
    lista += (i == 0 ? "" : i + 1 == tablas.size() ? " y " : ", ") + std::string(tablas[i]);
  }
  return lista;
}

}  // namespace

std::string usage() {
  std::string text = R"(Uso: vestran-cli ORDEN [OPCIONES]

Pasa los datos entre el documento de intercambio de Colmeda (XML) y las tablas
del planificador Dalmerin (dBase).

Órdenes:
  exportar DOCUMENTO [--dir DIR] [--marcos ID[,ID]] [--formato dbase3|nivel7]
      Crea de nuevo las tablas @TABLAS@
      a partir del documento. Si el documento tiene varios marcos horarios, --marcos
      elige uno o dos por su identificador. Las tablas que reemplaza se guardan.
  importar DOCUMENTO [--dir DIR]
      Lee la solución SOLUC del planificador y guarda el horario en una copia del
      documento llamada ResultadoVestran<nombre del documento>, junto a él.
  marcos DOCUMENTO
      Muestra los marcos horarios del documento y las horas del primer día de cada uno.
  restaurar [--dir DIR]
      Vuelve a poner las tablas que reemplazó la última exportación; las que quita
      se guardan, y restaurar otra vez las vuelve a poner.
  tabla FICHERO.DBF
      Muestra una tabla dBase como CSV (UTF-8).

Opciones:
  --dir DIR        Carpeta de las tablas del planificador. Sin ella se usa la variable
                   VESTRAN_DTEMP y, si no existe, la carpeta por omisión.
  --marcos ID,ID   Identificadores de los marcos horarios que se exportan (uno o dos).
  --formato F      dbase3 escribe tablas dBase III+ para programas antiguos; nivel7
                   (por omisión) escribe tablas dBase de nivel 7. También VESTRAN_FORMATO.
  --help           Muestra esta ayuda.
  --version        Muestra la versión.

Códigos de salida: 0 terminado, 1 error, 2 uso incorrecto, 3 no existe el documento.
)";
  text.replace(text.find("@TABLAS@"), 8, listaDeTablas());
  return text;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  if (args.empty()) throw UsageError("Falta la orden. Use --help para ver las órdenes.");
  if (std::find(args.begin(), args.end(), "--help") != args.end() ||
      std::find(args.begin(), args.end(), "-h") != args.end()) {
    line.command = "ayuda";
    return line;
  }
  if (args.front() == "--version") {
    line.command = "version";
    return line;
  }
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandSpec& c) { return c.name == args.front(); });
  if (command == std::end(kCommands)) {
    throw UsageError("Orden desconocida: '" + args.front() + "'. Use --help para ver las órdenes.");
  }
  line.command = args.front();

  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    if (!arg.starts_with("--")) {
      line.arguments.push_back(arg);
      continue;
    }
    std::optional<std::string> value;
    if (const auto eq = arg.find('='); eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    }
    std::optional<std::string>* target = nullptr;
    if (arg == "--dir" && command->accepts(Option::dir)) target = &line.dir;
    if (arg == "--marcos" && command->accepts(Option::marcos)) target = &line.marcos;
    if (arg == "--formato" && command->accepts(Option::formato)) target = &line.formato;
    if (!target) {
      throw UsageError("La orden " + line.command + " no admite la opción " + arg + ".");
    }
    if (!value) {
      if (i + 1 >= args.size()) throw UsageError("Falta el valor de " + arg + ".");
      value = args[++i];
    }
    *target = *value;
  }
  if (line.arguments.size() != (command->argumentName.empty() ? 0u : 1u)) {
    if (command->argumentName.empty()) {
      throw UsageError("La orden " + line.command +
                       " no lleva argumentos. Use --help para ver "
                       "el uso.");
    }
    throw UsageError("La orden " + line.command + " necesita " +
                     std::string(command->argumentName) + ". Use --help para ver el uso.");
  }
  return line;
}

}  // namespace vestran::cli
