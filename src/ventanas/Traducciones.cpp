#include "ventanas/Traducciones.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vestran {

void traducirQtAlEspanol(QCoreApplication& aplicacion) {
  const QLocale espanol(QLocale::Spanish, QLocale::Spain);
  QLocale::setDefault(espanol);
  auto* traductor = new QTranslator(&aplicacion);
  for (const QString& carpeta :
       {QStringLiteral(":/traducciones"),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
    if (traductor->load(espanol, QStringLiteral("qtbase"), QStringLiteral("_"), carpeta)) {
      QCoreApplication::installTranslator(traductor);
      return;
    }
  }
  delete traductor;
}

}  // namespace vestran
