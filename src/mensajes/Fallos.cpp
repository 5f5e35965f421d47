#include "mensajes/Fallos.hpp"

#include <exception>
#include <new>

#include "mensajes/Mensajes.hpp"
#include "store/errors.hpp"

namespace vestran {

MensajeDeFallo mensajeDelFallo() {
  try {
    throw;
  } catch (const Error& e) {
    return {e.what(), e.technicalDetail()};
  } catch (const std::bad_alloc&) {
    return {
        parrafos({"No hay memoria suficiente para terminar el trabajo.", kCierreOtrosProgramas}),
        {}};
  } catch (const std::exception& e) {
    return {parrafos({"vestran ha encontrado un fallo propio y no ha terminado el trabajo.",
                      "Anote lo que estaba haciendo y este mensaje, y comuníquelo a quien le "
                      "instaló vestran."}),
            std::string("Error interno: ") + e.what()};
  } catch (...) {
    return {"vestran ha encontrado un fallo propio y no ha terminado el trabajo.", {}};
  }
}

}  // namespace vestran
