// The windows, headless: start modes, batch mode and its status file, the buttons, and
// the frame chooser driven by real clicks.

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "MainForm/DialogoFinal.hpp"
#include "MainForm/InteraccionQt.hpp"
#include "MainForm/TMForm.hpp"
#include "Plantihoras/TPlantillas.hpp"
#include "generar_centro/CentroGenerado.hpp"
#include "mensajes/Mensajes.hpp"
#include "store/os/paths.hpp"
#include "store/table/table.hpp"
#include "ventanas/Ayuda.hpp"
#include "ventanas/Componentes.hpp"
#include "ventanas/Fuentes.hpp"
#include "ventanas/Traducciones.hpp"

namespace vestran {
namespace {

// Answers in the user's place and remembers what the windows showed.
class Usuario : public Interaccion {
 public:
  std::deque<std::optional<QString>> documentos;
  std::vector<std::size_t> marcos = {0};
  QStringList mensajes;
  QStringList informativos;  // the line below each message
  QStringList detalles;
  QStringList errores;
  std::deque<TrasFinal> respuestas;  // what each end box answers; OK when none is left
  std::vector<bool> restaurables;    // whether each end box offered the earlier tables
  int dialogos = 0;
  int ayudas = 0;

  std::optional<QString> elegirDocumento(QWidget*) override {
    ++dialogos;
    if (documentos.empty()) return std::nullopt;
    std::optional<QString> d;
    d.swap(documentos.front());
    documentos.pop_front();
    return d;
  }
  void mensaje(QWidget*, const QString& texto, const QString& informativo) override {
    mensajes << texto;
    informativos << informativo;
  }
  TrasFinal finalizado(QWidget*, const Resumen& r, const QString& d, bool restaurable) override {
    mensajes << qtexto(kProcesoFinalizado);
    resumenes.push_back(r);
    detalles << d;
    restaurables.push_back(restaurable);
    if (respuestas.empty()) return TrasFinal::aceptar;
    const TrasFinal t = respuestas.front();
    respuestas.pop_front();
    return t;
  }
  void error(QWidget*, const QString& texto) override { errores << texto; }
  std::vector<std::size_t> elegirMarcos(QWidget*, const SolicitudMarcos&) override {
    if (mientrasTrabaja) mientrasTrabaja();
    return marcos;
  }
  void ayuda() override { ++ayudas; }
  std::vector<Resumen> resumenes;
  std::function<void()> mientrasTrabaja;  // runs in the middle of the export
};

std::string leer(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void escribir(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

const char* kDosMarcos = R"(<datosGHC><materias><materia>Música</materia></materias>
<marcosDeHorario>
<marcoHorario id="M"><tramo><submarco>M</submarco><dia>0</dia><indice>1</indice><horaEntrada>08:30:00</horaEntrada><horaSalida>09:25:00</horaSalida><Tipo>Lectiva</Tipo></tramo>
<tramo><submarco>M</submarco><dia>0</dia><indice>2</indice><horaEntrada>09:25:00</horaEntrada><horaSalida>10:20:00</horaSalida><Tipo>Lectiva</Tipo></tramo></marcoHorario>
<marcoHorario id="T"><tramo><submarco>T</submarco><dia>0</dia><indice>1</indice><horaEntrada>16:00:00</horaEntrada><horaSalida>16:55:00</horaSalida><Tipo>Lectiva</Tipo></tramo></marcoHorario>
<marcoHorario id="N"><tramo><submarco>N</submarco><dia>0</dia><indice>1</indice><horaEntrada>19:00:00</horaEntrada><horaSalida>19:55:00</horaSalida><Tipo>Nocturno</Tipo></tramo></marcoHorario>
</marcosDeHorario>
<grupos><grupo submarco="M"><nombre>1º A</nombre><nivel>ESO</nivel><curso>1</curso><unidad>A</unidad></grupo>
<grupo submarco="N"><nombre>1º N</nombre><nivel>ESO</nivel><curso>1</curso><unidad>N</unidad></grupo></grupos>
<sesionesLectivas><sesion id="1"><materia>Música</materia><profesor/><grupo>1º A</grupo><distribucionSemanal><distribucionVariable><numSesiones>2</numSesiones></distribucionVariable></distribucionSemanal><tarea/></sesion>
<sesion id="2"><materia>Música</materia><profesor/><grupo>1º N</grupo><distribucionSemanal><distribucionVariable><numSesiones>2</numSesiones></distribucionVariable></distribucionSemanal><tarea/></sesion></sesionesLectivas>
</datosGHC>)";

}  // namespace

class GuiTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::filesystem::path ruta(const char* nombre) const {
    return std::filesystem::path(dir_.path().toStdString()) / nombre;
  }
  QString documento() const { return QString::fromStdString(ruta("centro.xml").string()); }
  std::filesystem::path ini() const { return ruta("Dalmerin.ini"); }

  // A main window started with these parameters, shown, with its batch job run.
  std::unique_ptr<TMForm> arrancar(Usuario& usuario, const QStringList& parametros) {
    std::vector<std::string> p;
    for (const QString& s : parametros) p.push_back(s.toStdString());
    auto form = std::make_unique<TMForm>(usuario, p, ini());
    form->show();
    QCoreApplication::processEvents();
    return form;
  }

 private slots:
  void initTestCase() { traducirQtAlEspanol(*QCoreApplication::instance()); }

  void init() {
    QVERIFY(dir_.isValid());
    std::filesystem::remove_all(ruta("DTEMP"));
    std::filesystem::remove(ini());
    qputenv("VESTRAN_DTEMP", QByteArray::fromStdString(ruta("DTEMP").string()));
    escribir(ruta("centro.xml"), kDosMarcos);
    escribir(ruta("roto.xml"), "<datosGHC><sin-cerrar></datosGHC>");
  }

  void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

  void batchModeAndStatusFile_data() {
    QTest::addColumn<QStringList>("parametros");
    QTest::addColumn<QString>("elegido");  // empty: the dialog is cancelled
    QTest::addColumn<QStringList>("mensajes");
    QTest::addColumn<int>("errores");
    QTest::addColumn<bool>("cerradaSola");
    QTest::addColumn<QString>("estado");  // the status file after closing; empty: none

    const QString doc = documento();
    const QString roto = QString::fromStdString(ruta("roto.xml").string());
    QTest::newRow("batch export completed")
        << QStringList{"EXPORTAR", "x"} << doc << QStringList{qtexto(kProcesoFinalizado)} << 0
        << true << "1";
    QTest::newRow("batch import, dialog cancelled")
        << QStringList{"Importar", "x"} << QString()
        << QStringList{qtexto(kAntesDeImportar), qtexto(kNoExisteArchivoXml)} << 0 << true << "-1";
    QTest::newRow("batch export, dialog cancelled")
        << QStringList{"exportar", ""} << QString() << QStringList{qtexto(kNoExisteArchivo)} << 0
        << true << "-1";
    QTest::newRow("batch export, document broken")
        << QStringList{"exportar", "x"} << roto << QStringList{} << 1 << false << "0";
    QTest::newRow("batch, unknown word")
        << QStringList{"exportar ", "x"} << doc << QStringList{} << 0 << false << "0";
    QTest::newRow("one parameter is interactive")
        << QStringList{"exportar"} << doc << QStringList{} << 0 << false << "";
    QTest::newRow("three parameters are interactive")
        << QStringList{"exportar", "x", "y"} << doc << QStringList{} << 0 << false << "";
  }

  void batchModeAndStatusFile() {
    QFETCH(QStringList, parametros);
    QFETCH(QString, elegido);
    QFETCH(QStringList, mensajes);
    QFETCH(int, errores);
    QFETCH(bool, cerradaSola);
    QFETCH(QString, estado);
    escribir(ini(), "; del planificador\r\n[Transformadores]\r\nTransformado=7\r\nOtra=x\r\n");

    Usuario usuario;
    usuario.documentos.push_back(elegido.isEmpty() ? std::nullopt : std::optional(elegido));
    auto form = arrancar(usuario, parametros);
    QCOMPARE(usuario.mensajes, mensajes);
    QCOMPARE(usuario.errores.size(), errores);
    QCOMPARE(form->isVisible(), !cerradaSola);
    form->close();
    const std::string esperado = estado.isEmpty() ? "7" : estado.toStdString();
    QCOMPARE(leer(ini()), "; del planificador\r\n[Transformadores]\r\nTransformado=" + esperado +
                              "\r\nOtra=x\r\n");
  }

  void anUnwritableStatusFileIsReportedAndMakesTheProgramFail() {
    Usuario usuario;
    auto form = std::make_unique<TMForm>(usuario, std::vector<std::string>{"otra", "x"},
                                         ruta("no-existe") / "Dalmerin.ini");
    form->show();
    QCoreApplication::processEvents();
    QVERIFY(form->estadoEscrito());
    form->close();
    QVERIFY(!form->estadoEscrito());
    QCOMPARE(usuario.errores.size(), 1);
    QVERIFY(usuario.errores[0].contains("estado"));
  }

  void completedJobDisablesBothButtonsAndTheReportIsBehindTheMessage() {
    Usuario usuario;
    usuario.documentos.push_back(documento());
    usuario.marcos = {2, 0};
    auto form = arrancar(usuario, {});
    QVERIFY(form->BExportar->isEnabled());
    QTest::mouseClick(form->BExportar, Qt::LeftButton);
    QCOMPARE(usuario.mensajes, QStringList{qtexto(kProcesoFinalizado)});
    QVERIFY(usuario.detalles.front().isEmpty());
    QVERIFY(!form->BExportar->isEnabled());
    QVERIFY(!form->BImportar->isEnabled());
    QCOMPARE(form->EstadoTransformado(), EstadoTransformado::terminado);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    form->close();
    QVERIFY(!std::filesystem::exists(ini()));  // interactive mode writes no status
  }

  void aCancelledDialogReusesTheLastConfirmedPath() {
    Usuario usuario;
    const QString roto = QString::fromStdString(ruta("roto.xml").string());
    usuario.documentos = {roto, std::nullopt};
    auto form = arrancar(usuario, {});
    QTest::mouseClick(form->BExportar, Qt::LeftButton);
    QTest::mouseClick(form->BImportar, Qt::LeftButton);
    QCOMPARE(usuario.dialogos, 2);
    QCOMPARE(form->filenameXML(), roto);
    // The import went on with the earlier path: no missing-file message, and it stopped at
    // the planner tables, which do not exist here.
    QCOMPARE(usuario.mensajes, QStringList{qtexto(kAntesDeImportar)});
    QCOMPARE(usuario.errores.size(), 2);
    QVERIFY(usuario.errores[1].contains("No existe la tabla SOLUC"));
    QVERIFY(form->BExportar->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    form->close();
  }

  void helpFromTheButtonAndFromF1() {
    Usuario usuario;
    auto form = arrancar(usuario, {});
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QTest::keyClick(form.get(), Qt::Key_F1);
    QCOMPARE(usuario.ayudas, 2);
    form->close();
  }

  void chooserSelectionByClicks_data() {
    QTest::addColumn<QList<int>>("filas");
    QTest::addColumn<QList<int>>("modificadores");
    QTest::addColumn<bool>("aceptada");
    QTest::addColumn<QString>("resultado");
    QTest::addColumn<QString>("mensaje");
    QTest::addColumn<QStringList>("horas");

    const int ctrl = Qt::ControlModifier;
    QTest::newRow("one click") << QList<int>{1} << QList<int>{0} << true << "T         "
                               << QString() << QStringList{"1-16:00:00-16:55:00-Lectiva"};
    QTest::newRow("ctrl-click, list order wins over click order")
        << QList<int>{2, 0} << QList<int>{0, ctrl} << true << "M         N         " << QString()
        << QStringList{"1-08:30:00-09:25:00-Lectiva", "2-09:25:00-10:20:00-Lectiva"};
    QTest::newRow("shift-click selects a range of three")
        << QList<int>{0, 2} << QList<int>{0, int(Qt::ShiftModifier)} << false
        << "M         T         N         " << qtexto(kDemasiadosMarcos)
        << QStringList{"1-19:00:00-19:55:00-Nocturno"};
    QTest::newRow("ctrl-click deselects and still shows that frame")
        << QList<int>{0, 1, 1} << QList<int>{0, ctrl, ctrl} << true << "M         " << QString()
        << QStringList{"1-16:00:00-16:55:00-Lectiva"};
    QTest::newRow("nothing chosen")
        << QList<int>{} << QList<int>{} << false << "" << qtexto(kAlMenosUnMarco)
        << QStringList{"1-08:30:00-09:25:00-Lectiva", "2-09:25:00-10:20:00-Lectiva"};
  }

  void chooserSelectionByClicks() {
    QFETCH(QList<int>, filas);
    QFETCH(QList<int>, modificadores);
    QFETCH(bool, aceptada);
    QFETCH(QString, resultado);
    QFETCH(QString, mensaje);
    QFETCH(QStringList, horas);

    QStringList mostrados;
    TPlantillas Plantillas(ruta("centro.xml"), nullptr,
                           [&](QWidget*, const QString& m) { mostrados << m; });
    Plantillas.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Plantillas));
    QCOMPARE(Plantillas.ListBox2->count(), 3);
    QVERIFY(Plantillas.ListBox2->selectedItems().isEmpty());
    for (int i = 0; i < filas.size(); ++i) {
      QListWidgetItem* item = Plantillas.ListBox2->item(filas[i]);
      QTest::mouseClick(Plantillas.ListBox2->viewport(), Qt::LeftButton,
                        Qt::KeyboardModifiers(modificadores[i]),
                        Plantillas.ListBox2->visualItemRect(item).center());
    }
    QStringList mostradas;
    for (int i = 0; i < Plantillas.ListBox1->count(); ++i)
      mostradas << Plantillas.ListBox1->item(i)->text();
    QCOMPARE(mostradas, horas);
    QTest::mouseClick(Plantillas.BitBtnContinuar, Qt::LeftButton);
    QVERIFY(!Plantillas.isVisible());
    QCOMPARE(Plantillas.resultMH, aceptada);
    QCOMPARE(Plantillas.resultado, resultado);
    QCOMPARE(mostrados, mensaje.isEmpty() ? QStringList{} : QStringList{mensaje});
  }

  void chooserThatCannotReadTheDocumentSaysWhy() {
    TPlantillas Plantillas(ruta("roto.xml"), nullptr, [](QWidget*, const QString&) {});
    Plantillas.show();
    QVERIFY(Plantillas.cargaFallida().has_value());
    QVERIFY(Plantillas.cargaFallida()->contains(QString::fromUtf8("línea 1")));
    Plantillas.close();
    QVERIFY(!Plantillas.resultMH);
  }

  void theBundledHelpOpensWhereThereIsNoCompiledHelp() {
    InteraccionQt real;
    real.ayuda();
    QTextBrowser* texto = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* t = w->findChild<QTextBrowser*>()) texto = t;
    }
    QVERIFY(texto != nullptr);
    QVERIFY(texto->toPlainText().contains("Dalmerin.ini"));
    QVERIFY(texto->toPlainText().contains("Proceso finalizado"));
    texto->window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void qtSpeaksSpanishWhateverTheSystemsLanguage() {
    QFileDialog dialogo(nullptr, qtexto(kTituloDialogoXml));
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    QStringList textos;
    for (const QPushButton* b : dialogo.findChildren<QPushButton*>()) textos << b->text();
    for (const QLabel* l : dialogo.findChildren<QLabel*>()) textos << l->text();
    QVERIFY2(textos.contains("&Abrir") || textos.contains("Abrir"), qPrintable(textos.join('|')));
    QVERIFY2(textos.contains("Cancelar"), qPrintable(textos.join('|')));
    QVERIFY2(textos.contains("&Nombre de fichero:"), qPrintable(textos.join('|')));
    QMessageBox caja(QMessageBox::NoIcon, "t", "x", QMessageBox::Ok);
    QCOMPARE(caja.button(QMessageBox::Ok)->text(), QStringLiteral("Aceptar"));
  }

  void everyWayOutOfTheChooserGoesThroughTheCheck_data() {
    QTest::addColumn<int>("salida");  // 0 Escape, 1 close box, 2 Alt+F4, 3 Continuar
    QTest::addColumn<bool>("conUnMarco");
    for (int salida : {0, 1, 2, 3}) {
      for (bool conUno : {false, true}) {
        QTest::addRow("%s, %s", std::array{"Escape", "close box", "Alt+F4", "Continuar"}[salida],
                      conUno ? "one frame" : "none")
            << salida << conUno;
      }
    }
  }

  void everyWayOutOfTheChooserGoesThroughTheCheck() {
    QFETCH(int, salida);
    QFETCH(bool, conUnMarco);
    QStringList mostrados;
    TPlantillas Plantillas(ruta("centro.xml"), nullptr,
                           [&](QWidget*, const QString& m) { mostrados << m; });
    Plantillas.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Plantillas));
    if (conUnMarco) {
      QTest::mouseClick(Plantillas.ListBox2->viewport(), Qt::LeftButton, {},
                        Plantillas.ListBox2->visualItemRect(Plantillas.ListBox2->item(1)).center());
    }
    switch (salida) {
      case 0:
        QTest::keyClick(&Plantillas, Qt::Key_Escape);
        break;
      case 1:
        Plantillas.close();
        break;
      case 2:
        QTest::keyClick(&Plantillas, Qt::Key_F4, Qt::AltModifier);
        Plantillas.close();
        break;
      case 3:
        QTest::mouseClick(Plantillas.BitBtnContinuar, Qt::LeftButton);
        break;
    }
    QVERIFY(!Plantillas.isVisible());
    QCOMPARE(Plantillas.resultMH, conUnMarco);
    QCOMPARE(Plantillas.resultado, conUnMarco ? QStringLiteral("T         ") : QString());
    QCOMPARE(mostrados, conUnMarco ? QStringList{} : QStringList{qtexto(kAlMenosUnMarco)});
  }

  void f1AsksForTheHelpInTheChooserAndInAMessageBox() {
    Usuario usuario;
    auto form = arrancar(usuario, {});
    TPlantillas Plantillas(ruta("centro.xml"), form.get(), [](QWidget*, const QString&) {});
    Plantillas.show();
    QTest::keyClick(&Plantillas, Qt::Key_F1);
    QTest::keyClick(Plantillas.ListBox2, Qt::Key_F1);
    QCOMPARE(usuario.ayudas, 2);
    Plantillas.close();
    QMessageBox caja(QMessageBox::NoIcon, "t", qtexto(kNoExisteArchivo), QMessageBox::Ok,
                     form.get());
    caja.show();
    QTest::keyClick(&caja, Qt::Key_F1);
    QCOMPARE(usuario.ayudas, 3);
    caja.close();
    form->close();
  }

  void theHelpCanBeScrolledWhileAModalDialogWaits() {
    InteraccionQt real;
    TPlantillas Plantillas(ruta("centro.xml"), nullptr, [](QWidget*, const QString&) {});
    Plantillas.setWindowModality(Qt::ApplicationModal);
    Plantillas.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Plantillas));
    real.ayuda();
    QWidget* ventana = real.ayudaAbierta().ventana();
    QVERIFY(ventana != nullptr);
    ventana->resize(320, 160);
    QVERIFY(QTest::qWaitForWindowExposed(ventana));
    auto* texto = ventana->findChild<QTextBrowser*>();
    QCOMPARE(texto->verticalScrollBar()->value(), 0);
    texto->setFocus();
    // Through the window system, where a modal dialog blocks the windows it does not own.
    QTest::keyClick(ventana->windowHandle(), Qt::Key_PageDown);
    QTest::keyClick(ventana->windowHandle(), Qt::Key_PageDown);
    QVERIFY(texto->verticalScrollBar()->value() > 0);
    ventana->close();
    Plantillas.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void aFrameThatGivesNothingStopsTheExportAndSaysWhy() {
    escribir(ruta("centro.xml"),
             "<datosGHC><materias><materia>Música</materia></materias><marcosDeHorario>"
             "<marcoHorario id=\"MAÑANA-LARGA\"><tramo><submarco>MAÑANA-LARGA</submarco><dia>0"
             "</dia><indice>1</indice><horaEntrada>08:00</horaEntrada><horaSalida>08:55"
             "</horaSalida><Tipo>L</Tipo></tramo></marcoHorario></marcosDeHorario></datosGHC>");
    Usuario usuario;
    usuario.documentos.push_back(documento());
    auto form = arrancar(usuario, {});
    QTest::mouseClick(form->BExportar, Qt::LeftButton);
    QCOMPARE(usuario.resumenes.size(), std::size_t{0});
    QCOMPARE(usuario.errores.size(), 1);
    const QString e = usuario.errores[0];
    QVERIFY2(e.contains(QString::fromUtf8("'MAÑANA-LARGA' no ha dado ninguna hora: su "
                                          "identificador tiene 12 caracteres")),
             qPrintable(e));
    QVERIFY2(e.contains(qtexto(kNingunaTablaModificada)), qPrintable(e));
    QVERIFY(form->BExportar->isEnabled());
    QVERIFY(!std::filesystem::exists(ruta("DTEMP") / "ASIGT.DBF"));
    form->close();
  }

  void theEndOfAnImportShowsTheResultFileAndItsLessons() {
    Usuario usuario;
    usuario.documentos = {documento(), documento()};
    escribir(ruta("centro.xml"), generador::documentoDeCentro({200, false}));
    auto exporta = arrancar(usuario, {});
    QTest::mouseClick(exporta->BExportar, Qt::LeftButton);
    exporta->close();
    generador::escribirSolucion(ruta("DTEMP"));
    auto importa = arrancar(usuario, {});
    QTest::mouseClick(importa->BImportar, Qt::LeftButton);
    QCOMPARE(usuario.errores, QStringList{});
    QCOMPARE(usuario.resumenes.size(), std::size_t{2});
    const Resumen& r = usuario.resumenes[1];
    QCOMPARE(r.lineas.size(), std::size_t{2});
    QCOMPARE(qtexto(r.lineas[0]),
             "Resultado: " + QString::fromStdString(os::pathForUser(
                                 std::filesystem::absolute(ruta("ResultadoVestrancentro.xml")))));
    QCOMPARE(qtexto(r.lineas[1]), QStringLiteral("Clases escritas en el horario: 200"));
    QVERIFY(std::filesystem::exists(ruta("ResultadoVestrancentro.xml")));
    importa->close();
  }

  void theEndOfRunBoxShowsTheSummaryAndTheReportAndCloses() {
    Resumen resumen{{"Tablas en C:\\DTEMP:"},
                    {{"ASIGNOMT", "29 filas"}, {"ASIGT", "3 filas"}},
                    {"GRUPOST ha quedado vacía."}};
    for (Qt::Key tecla : {Qt::Key_Return, Qt::Key_Escape}) {
      DialogoFinal caja(resumen, QString("línea\n").repeated(40), false, nullptr);
      caja.show();
      QVERIFY(QTest::qWaitForWindowExposed(&caja));
      QVERIFY(caja.lineas->text().contains("Tablas en C:\\DTEMP:"));
      // The rows per table in columns: names in one, values right-aligned in another.
      QCOMPARE(caja.cifras.size(), std::size_t{2});
      QCOMPARE(caja.cifras[1].first->text(), QStringLiteral("ASIGT"));
      QCOMPARE(caja.cifras[1].second->text(), QStringLiteral("3 filas"));
      QCOMPARE(caja.cifras[0].second->geometry().right(),
               caja.cifras[1].second->geometry().right());
      QVERIFY(caja.cifras[0].second->x() > caja.cifras[0].first->geometry().right());
      QVERIFY(caja.cuantos->isVisible());
      QCOMPARE(caja.cuantos->text(), QString::fromUtf8("Los detalles tienen 40 observaciones."));
      QVERIFY(caja.restaurar == nullptr);
      QCOMPARE(caja.avisos->text(), QStringLiteral("Aviso: GRUPOST ha quedado vacía."));
      QVERIFY(!caja.detalles->isVisible());
      QTest::mouseClick(caja.botonDetalles, Qt::LeftButton);
      QVERIFY(caja.detalles->isVisible());
      QCOMPARE(caja.botonDetalles->text(), QString::fromUtf8("Ocultar detalles…"));
      const QFontMetrics m(caja.detalles->font());
      QCOMPARE(caja.detalles->lineWrapMode(), QPlainTextEdit::WidgetWidth);
      QVERIFY(!QFontInfo(caja.detalles->font()).fixedPitch());
      QVERIFY(caja.detalles->width() >= m.averageCharWidth() * 70);
      QVERIFY(caja.detalles->height() >= m.lineSpacing() * 15);
      QVERIFY(caja.isSizeGripEnabled());
      QTest::keyClick(&caja, tecla);
      QVERIFY(!caja.isVisible());
    }
  }

  void theWindowTakesNoInputAndPutsOffClosingWhileAJobRuns() {
    Usuario usuario;
    usuario.documentos.push_back(documento());
    usuario.marcos = {0};
    auto form = arrancar(usuario, {});
    bool trabajaba = false;
    usuario.mientrasTrabaja = [&] {
      trabajaba = form->trabajando();
      QTest::mouseClick(form->BImportar, Qt::LeftButton);  // refused
      form->close();                                       // put off to the end
      QVERIFY(form->isVisible());
    };
    QTest::mouseClick(form->BExportar, Qt::LeftButton);
    QVERIFY(trabajaba);
    QCOMPARE(usuario.mensajes, QStringList{qtexto(kProcesoFinalizado)});
    QVERIFY(!form->isVisible());
  }

  void theOkButtonsShowACheckMarkAndReturnPressesTheFocusedButton() {
    Usuario usuario;
    auto form = arrancar(usuario, {});
    QVERIFY(!form->BExportar->icon().isNull());
    QVERIFY(!form->BImportar->icon().isNull());
    form->BImportar->setFocus();
    QTest::keyClick(form.get(), Qt::Key_Return);
    QCOMPARE(usuario.mensajes.value(0), qtexto(kAntesDeImportar));
    form->close();
  }

  // The files a secretary chooses by mistake each get a Spanish message that says what is
  // wrong and what to do, without the XML reader's English.
  void aWrongFileGetsASpanishMessageWithTheNextStep_data() {
    QTest::addColumn<QByteArray>("contenido");
    QTest::addColumn<QString>("dice");
    QTest::newRow("a text file saved as .xml") << QByteArray("Horario de 1º A\nLunes: Música\n")
                                               << QString::fromUtf8("no es un documento XML");
    QTest::newRow("an empty file") << QByteArray() << QString::fromUtf8("el archivo está vacío");
    QTest::newRow("another XML document")
        << QByteArray("<factura><total>12</total></factura>")
        << QString::fromUtf8("no un documento de intercambio de Colmeda");
  }

  void aWrongFileGetsASpanishMessageWithTheNextStep() {
    QFETCH(QByteArray, contenido);
    QFETCH(QString, dice);
    escribir(ruta("mal.xml"), contenido.toStdString());
    Usuario usuario;
    usuario.documentos.push_back(QString::fromStdString(ruta("mal.xml").string()));
    auto form = arrancar(usuario, {});
    QTest::mouseClick(form->BExportar, Qt::LeftButton);
    QCOMPARE(usuario.errores.size(), 1);
    const QString e = usuario.errores[0];
    QVERIFY2(e.contains(dice), qPrintable(e));
    QVERIFY2(e.contains(QString::fromUtf8("Elija el documento de intercambio que exportó Colmeda")),
             qPrintable(e));
    QVERIFY2(e.contains(qtexto(kNingunaTablaModificada)), qPrintable(e));
    // The words of the message, not those of the folder's name (a user may be "root").
    QString palabras = e;
    palabras.remove(QDir::toNativeSeparators(dir_.path()));
    for (const char* ingles : {"expected", "Document", "empty", "root", "found"}) {
      QVERIFY2(!palabras.contains(QLatin1String(ingles)), qPrintable(e));
    }
    QVERIFY(form->BExportar->isEnabled());
    form->close();
  }

  // "No existe archivo" stays as it is, with a line below it saying what happened.
  void theMissingFileMessageSaysWhetherTheDialogWasCancelledOrWhichFile() {
    Usuario usuario;
    const QString falta = QString::fromStdString(ruta("no-existe.xml").string());
    usuario.documentos = {std::nullopt, falta};
    auto form = arrancar(usuario, {});
    QTest::mouseClick(form->BExportar, Qt::LeftButton);
    QTest::mouseClick(form->BExportar, Qt::LeftButton);
    QCOMPARE(usuario.mensajes, (QStringList{qtexto(kNoExisteArchivo), qtexto(kNoExisteArchivo)}));
    QVERIFY2(usuario.informativos[0].contains(QString::fromUtf8("se cerró sin elegir")),
             qPrintable(usuario.informativos[0]));
    QVERIFY2(usuario.informativos[1].contains(QDir::toNativeSeparators(falta)),
             qPrintable(usuario.informativos[1]));
    form->close();
  }

  // An export of the wrong document, undone from its end box: the first set comes back
  // byte for byte, and the status a calling program reads says nothing stands.
  void aWrongExportIsUndoneFromItsEndBox() {
    const auto tablas = [&] {
      std::map<std::string, std::string> t;
      for (const char* n : {"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF", "DIASHORAST.DBF",
                            "GRUPOST.DBF", "ASIGT.DBF"}) {
        t[n] = leer(ruta("DTEMP") / n);
      }
      return t;
    };
    Usuario usuario;
    usuario.documentos = {documento()};
    auto primera = arrancar(usuario, {});
    QTest::mouseClick(primera->BExportar, Qt::LeftButton);
    primera->close();
    QCOMPARE(usuario.restaurables, std::vector<bool>{false});  // nothing was there before
    const auto buenas = tablas();

    escribir(ruta("otro.xml"), generador::documentoDeCentro({40, false}));
    usuario.documentos = {QString::fromStdString(ruta("otro.xml").string())};
    usuario.respuestas = {TrasFinal::restaurar};
    auto segunda = arrancar(usuario, {"exportar", "x"});
    QCOMPARE(usuario.restaurables, (std::vector<bool>{false, true, false}));
    QCOMPARE(usuario.resumenes.size(), std::size_t{3});  // the export's and the restore's
    QVERIFY(usuario.resumenes[2].lineas[0].find("Se han vuelto a poner las tablas") == 0);
    QVERIFY(tablas() == buenas);
    QVERIFY(!segunda->isVisible());
    QVERIFY(leer(ini()).find("Transformado=0") != std::string::npos);
  }

  // A result chosen again instead of the original: the end box says in red how many
  // lessons the document had already, without opening the details.
  void importingAResultAgainWarnsOfTheDoubledTimetable() {
    escribir(ruta("centro.xml"), generador::documentoDeCentro({40, false}));
    Usuario usuario;
    usuario.documentos = {documento(), documento()};
    auto exporta = arrancar(usuario, {});
    QTest::mouseClick(exporta->BExportar, Qt::LeftButton);
    exporta->close();
    generador::escribirSolucion(ruta("DTEMP"));
    auto importa = arrancar(usuario, {});
    QTest::mouseClick(importa->BImportar, Qt::LeftButton);
    importa->close();
    usuario.documentos = {QString::fromStdString(ruta("ResultadoVestrancentro.xml").string())};
    auto otra = arrancar(usuario, {});
    QTest::mouseClick(otra->BImportar, Qt::LeftButton);
    otra->close();
    QCOMPARE(usuario.resumenes.size(), std::size_t{3});
    const Resumen& r = usuario.resumenes[2];
    QCOMPARE(r.avisos.size(), std::size_t{1});
    QVERIFY2(r.avisos[0].find("ya tenía un horario con 40 clases, y se le han añadido 40 "
                              "clases más") != std::string::npos,
             r.avisos[0].c_str());
    QVERIFY2(r.avisos[0].find("importe de nuevo eligiendo el documento original que exportó "
                              "Colmeda") != std::string::npos,
             r.avisos[0].c_str());
  }

  // The lessons the planner did not place are counted in the end box and listed in the
  // details by subject, group and teacher.
  void theUnplacedLessonsAreNamedBySubjectGroupAndTeacher() {
    escribir(ruta("centro.xml"), kDosMarcos);
    Usuario usuario;
    usuario.documentos = {documento(), documento()};
    usuario.marcos = {0};
    auto exporta = arrancar(usuario, {});
    QTest::mouseClick(exporta->BExportar, Qt::LeftButton);
    exporta->close();
    // A solution with one lesson placed and one not.
    const std::vector<FieldDef> campos = {
        {"DIA", FieldKind::floating},       {"HORA", FieldKind::floating},
        {"MARCO", FieldKind::character, 1}, {"AULA", FieldKind::character, 10},
        {"ASIG", FieldKind::character, 10}, {"CODGRUPO", FieldKind::character, 10},
        {"PROF", FieldKind::character, 10}};
    Table::recreate(ruta("DTEMP"), "SOLUC", campos, TableFormat::level7);
    {
      Table soluc = Table::open(ruta("DTEMP"), "SOLUC");
      for (const char* dia : {"1", "0"}) {
        soluc.append();
        soluc.setText("DIA", dia);
        soluc.setText("HORA", "1");
        soluc.setText("MARCO", "0");
        soluc.setText("ASIG", "Música");
        soluc.setText("CODGRUPO", "ESO1A");
        soluc.post();
      }
      soluc.close();
    }
    auto importa = arrancar(usuario, {});
    QTest::mouseClick(importa->BImportar, Qt::LeftButton);
    importa->close();
    QCOMPARE(usuario.errores, QStringList{});
    const Resumen& r = usuario.resumenes[1];
    QVERIFY(std::find(r.lineas.begin(), r.lineas.end(),
                      "Clases que el planificador no colocó: 1 (se listan en los detalles)") !=
            r.lineas.end());
    QVERIFY2(usuario.detalles[1].contains(QString::fromUtf8("Música, 1º A (ESO1A), (sin código)")),
             qPrintable(usuario.detalles[1]));
  }

  // While a job runs both job buttons are visibly disabled; while the chooser waits the
  // window says so; after a completed job a line says how to do another.
  void theWindowSaysWhatItIsDoingAndWhatComesNext() {
    Usuario usuario;
    usuario.documentos.push_back(documento());
    auto form = arrancar(usuario, {});
    QVERIFY(form->BExportar->hasFocus());
    bool desactivados = false;
    QString mientrasElige;
    usuario.mientrasTrabaja = [&] {
      desactivados = !form->BExportar->isEnabled() && !form->BImportar->isEnabled();
      mientrasElige = form->LabelProgreso->text();
    };
    QTest::mouseClick(form->BExportar, Qt::LeftButton);
    QVERIFY(desactivados);
    QVERIFY2(mientrasElige.contains(QString::fromUtf8("Esperando a que elija uno o dos marcos")),
             qPrintable(mientrasElige));
    QVERIFY(form->LabelProgreso->isVisible());
    QVERIFY2(form->LabelProgreso->text().contains(QString::fromUtf8("cierre vestran y vuelva a "
                                                                    "abrirlo")),
             qPrintable(form->LabelProgreso->text()));
    form->close();
  }

  // The chooser says, beside the list of frames, why the frame clicked would give nothing.
  void theChooserFlagsAFrameThatCannotBeExportedBeforeAnythingIsReplaced() {
    escribir(ruta("largo.xml"),
             "<datosGHC><marcosDeHorario>"
             "<marcoHorario id=\"MAÑANA-LARGA\"><tramo><submarco>MAÑANA-LARGA</submarco><dia>0"
             "</dia><indice>1</indice><horaEntrada>08:00</horaEntrada><horaSalida>08:55"
             "</horaSalida><Tipo>L</Tipo></tramo></marcoHorario>"
             "<marcoHorario id=\"T\"><tramo><submarco>T</submarco><dia>0</dia><indice>1</indice>"
             "<horaEntrada>16:00</horaEntrada><horaSalida>16:55</horaSalida><Tipo>L</Tipo></tramo>"
             "</marcoHorario><marcoHorario id=\"V\"/></marcosDeHorario></datosGHC>");
    TPlantillas Plantillas(ruta("largo.xml"), nullptr, [](QWidget*, const QString&) {});
    Plantillas.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Plantillas));
    const auto clic = [&](int fila) {
      QTest::mouseClick(
          Plantillas.ListBox2->viewport(), Qt::LeftButton, {},
          Plantillas.ListBox2->visualItemRect(Plantillas.ListBox2->item(fila)).center());
    };
    // The first frame's periods show from the start, and so does what is wrong with it.
    QVERIFY(Plantillas.LabelAviso->isVisible());
    clic(0);
    QVERIFY(Plantillas.LabelAviso->isVisible());
    QVERIFY2(Plantillas.LabelAviso->text().contains(
                 QString::fromUtf8("su identificador tiene 12 caracteres")),
             qPrintable(Plantillas.LabelAviso->text()));
    clic(1);
    QCOMPARE(Plantillas.ListBox2->currentRow(), 1);
    QVERIFY2(!Plantillas.LabelAviso->isVisible(), qPrintable(Plantillas.LabelAviso->text()));
    clic(2);
    QVERIFY2(Plantillas.LabelAviso->text().contains(QString::fromUtf8("no tiene ninguna hora")),
             qPrintable(Plantillas.LabelAviso->text()));
    Plantillas.close();
  }

  // The help opens beside the window that asked for it, never over it, and Escape closes it.
  void theHelpOpensBesideTheWindowAndEscapeClosesIt() {
    const QRect pantalla(0, 0, 1280, 800);
    struct Caso {
      QRect junto;
      QPoint donde;
      bool libre;  // whether the screen has room beside it
    } casos[] = {
        {QRect(100, 100, 400, 300), QPoint(507, 100), true},   // room on the right
        {QRect(800, 100, 400, 300), QPoint(152, 100), true},   // room on the left only
        {QRect(300, 700, 400, 300), QPoint(639, 159), false},  // kept on the screen
    };
    for (const Caso& c : casos) {
      const QRect r(posicionJunto(c.junto, QSize(640, 640), pantalla), QSize(640, 640));
      QCOMPARE(r.topLeft(), c.donde);
      QVERIFY(pantalla.contains(r));
      if (c.libre) QVERIFY(!r.intersects(c.junto));
    }
    InteraccionQt real;
    real.ayuda();
    QWidget* ventana = real.ayudaAbierta().ventana();
    QVERIFY(ventana != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(ventana));
    QTest::keyClick(ventana, Qt::Key_Escape);
    QVERIFY(!ventana->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Closing the main window ends the program though the help is open: in batch mode the
  // calling program waits for the end.
  void closingTheMainWindowEndsTheProgramWithTheHelpOpen() {
    Usuario usuario;
    auto form = arrancar(usuario, {});
    InteraccionQt real;
    real.ayuda();
    const QPointer<QWidget> ayuda = real.ayudaAbierta().ventana();
    QVERIFY(ayuda && ayuda->isVisible());
    // Should the help keep the program running, it is closed after a while: the failure.
    bool seguia = false;
    QTimer plazo;
    plazo.setSingleShot(true);
    connect(&plazo, &QTimer::timeout, [&] {
      seguia = true;
      if (ayuda) ayuda->close();
    });
    plazo.start(5000);
    QTimer::singleShot(0, form.get(), &QWidget::close);
    QApplication::exec();
    plazo.stop();
    QVERIFY(!seguia);
    if (ayuda) ayuda->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Every letter is drawn whole: under Wine the system's rasteriser lost the capital I of
  // the fonts that stand in for Arial and Tahoma ("AS GNOMT"). A row of capital I in each
  // font the windows use is read back from the screen: one stroke for each letter.
  void everyCapitalIIsDrawnInEveryFontTheWindowsUse() {
    const QFont fuentes[] = {QApplication::font(), fuente(QStringLiteral("MS Sans Serif"), 11),
                             fuente(QStringLiteral("MS Sans Serif"), 11, {.negrita = true}),
                             fuente(QStringLiteral("Arial"), 16, {.negrita = true})};
    for (const QFont& f : fuentes) {
      QLabel fila(QStringLiteral("I  I  I  I"));
      fila.setFont(f);
      fila.setAutoFillBackground(true);
      QPalette colores = fila.palette();
      colores.setColor(QPalette::Window, Qt::white);
      colores.setColor(QPalette::WindowText, Qt::black);
      fila.setPalette(colores);
      fila.setContentsMargins(8, 8, 8, 8);
      fila.adjustSize();
      fila.show();
      QVERIFY(QTest::qWaitForWindowExposed(&fila));
      QImage imagen = fila.screen()->grabWindow(fila.winId()).toImage();
      // A platform without a screen to read (offscreen) draws the label itself.
      if (imagen.isNull() || imagen.pixelColor(0, 0) != QColor(Qt::white)) {
        imagen = fila.grab().toImage();
      }
      int trazos = 0;
      bool enTrazo = false;
      for (int x = 0; x < imagen.width(); ++x) {
        bool tinta = false;
        for (int y = 0; y < imagen.height() && !tinta; ++y) {
          tinta = qGray(imagen.pixel(x, y)) < 128;
        }
        if (tinta && !enTrazo) ++trazos;
        enTrazo = tinta;
      }
      QVERIFY2(trazos == 4, qPrintable(QStringLiteral("%1, %2 px: %3 trazos de 4")
                                           .arg(QFontInfo(f).family())
                                           .arg(QFontInfo(f).pixelSize())
                                           .arg(trazos)));
      fila.close();
    }
  }

  // Renders both windows to PNG files when VESTRAN_CAPTURAS names a folder.
  void screenshots() {
    const QString carpeta = qEnvironmentVariable("VESTRAN_CAPTURAS");
    if (carpeta.isEmpty()) QSKIP("VESTRAN_CAPTURAS is not set");
    Usuario usuario;
    auto form = arrancar(usuario, {});
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QVERIFY(form->grab().save(carpeta + "/ventana-principal.png"));
    const char* ejemplo = std::getenv("VESTRAN_CAPTURAS_DOCUMENTO");
    TPlantillas Plantillas(ejemplo ? std::filesystem::path(ejemplo) : ruta("centro.xml"), nullptr,
                           [](QWidget*, const QString&) {});
    Plantillas.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Plantillas));
    QTest::mouseClick(Plantillas.ListBox2->viewport(), Qt::LeftButton, {},
                      Plantillas.ListBox2->visualItemRect(Plantillas.ListBox2->item(0)).center());
    QVERIFY(Plantillas.grab().save(carpeta + "/selector-de-marcos.png"));
    Plantillas.close();
    form->close();

    // The end of an export of the bundled example, with its report opened.
    Usuario final;
    final.documentos.push_back(ejemplo ? QString::fromUtf8(ejemplo) : documento());
    final.marcos = {0, 1};
    auto exporta = arrancar(final, {});
    QTest::mouseClick(exporta->BExportar, Qt::LeftButton);
    exporta->close();
    QCOMPARE(final.resumenes.size(), std::size_t{1});
    DialogoFinal caja(final.resumenes[0], final.detalles[0], true, nullptr);
    caja.show();
    QTest::mouseClick(caja.botonDetalles, Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowExposed(&caja));
    QVERIFY(caja.grab().save(carpeta + "/fin-de-exportacion.png"));
    caja.close();

    // The example's result chosen again for an import: the doubled timetable, in red.
    generador::escribirSolucion(ruta("DTEMP"));
    const std::filesystem::path copia = ruta("centro-ejemplo.xml");
    std::filesystem::copy_file(ejemplo ? std::filesystem::path(ejemplo) : ruta("centro.xml"), copia,
                               std::filesystem::copy_options::overwrite_existing);
    Usuario importa;
    importa.documentos = {
        QString::fromStdString(copia.string()),
        QString::fromStdString(ruta("ResultadoVestrancentro-ejemplo.xml").string())};
    for (int vez = 0; vez < 2; ++vez) {
      auto form = arrancar(importa, {});
      QTest::mouseClick(form->BImportar, Qt::LeftButton);
      form->close();
    }
    QCOMPARE(importa.resumenes.size(), std::size_t{2});
    DialogoFinal repetido(importa.resumenes[1], importa.detalles[1], false, nullptr);
    repetido.show();
    QVERIFY(QTest::qWaitForWindowExposed(&repetido));
    QVERIFY(repetido.grab().save(carpeta + "/horario-repetido.png"));
    repetido.close();

    // A text file chosen instead of the exchange document.
    escribir(ruta("notas.xml"), "Horario de 1º A\nLunes: Música\n");
    Usuario equivocado;
    equivocado.documentos = {QString::fromStdString(ruta("notas.xml").string())};
    auto form2 = arrancar(equivocado, {});
    QTest::mouseClick(form2->BExportar, Qt::LeftButton);
    form2->close();
    QCOMPARE(equivocado.errores.size(), 1);
    QMessageBox caja2(QMessageBox::Critical, qtexto(kTituloAplicacion), equivocado.errores[0],
                      QMessageBox::Ok);
    anchoDeLectura(caja2);
    caja2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&caja2));
    QVERIFY(caja2.grab().save(carpeta + "/documento-equivocado.png"));
    caja2.close();
  }
};

}  // namespace vestran

// As QTEST_MAIN, with the program's own choice of font engine made first.
int main(int argc, char** argv) {
  vestran::elegirMotorDeFuentes();
  QApplication aplicacion(argc, argv);
  aplicacion.setAttribute(Qt::AA_Use96Dpi, true);
  vestran::GuiTest prueba;
  return QTest::qExec(&prueba, argc, argv);
}
#include "gui_test.moc"
