// vestran: the desktop program. Two parameters start batch mode (see TMForm).

#include <QApplication>
#include <QIcon>

#include <string>
#include <vector>

#include "MainForm/InteraccionQt.hpp"
#include "MainForm/TMForm.hpp"
#include "mensajes/Mensajes.hpp"
#include "modos/Arranque.hpp"
#include "store/os/paths.hpp"
#include "ventanas/Componentes.hpp"
#include "ventanas/Fuentes.hpp"
#include "ventanas/Traducciones.hpp"

int main(int argc, char** argv) {
  vestran::elegirMotorDeFuentes();
  QApplication app(argc, argv);
  QApplication::setApplicationName(vestran::qtexto(vestran::kTituloAplicacion));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/vestran.png")));
  vestran::traducirQtAlEspanol(app);

  std::vector<std::string> parametros;
  const QStringList argumentos = QCoreApplication::arguments();
  for (int i = 1; i < argumentos.size(); ++i) parametros.push_back(argumentos[i].toStdString());

  vestran::InteraccionQt interaccion;
  const auto carpeta =
      vestran::os::pathFromUtf8(QCoreApplication::applicationDirPath().toStdString());
  vestran::TMForm MForm(interaccion, parametros, vestran::archivoDeEstado(carpeta));
  MForm.show();
  const int codigo = app.exec();
  return MForm.estadoEscrito() ? codigo : 1;
}
