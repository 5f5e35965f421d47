// What the frame chooser lists and how a selection is read.

#include <gtest/gtest.h>

#include "exportar/MarcosHorarios.hpp"

namespace vestran {
namespace {

const char* kDocumento = R"(<datosGHC><marcosDeHorario>
<marcoHorario id="1"><tramo><submarco>1</submarco><dia>0</dia><indice>1</indice><horaEntrada>08:00</horaEntrada><horaSalida>08:55</horaSalida><Tipo>X</Tipo></tramo>
<tramo><submarco>2</submarco><dia>0</dia><indice>1</indice><horaEntrada>15:00</horaEntrada><horaSalida>15:55</horaSalida><Tipo>Clase lectiva de tarde muy larga</Tipo></tramo>
<tramo><submarco>1</submarco><dia> 0</dia><indice>2</indice><horaEntrada>09:00</horaEntrada><horaSalida>09:55</horaSalida><Tipo>X</Tipo></tramo>
<tramo><submarco>1</submarco><dia>00</dia><indice>3</indice><horaEntrada>10:00</horaEntrada><horaSalida>10:55</horaSalida><Tipo>X</Tipo></tramo>
<tramo><submarco>1 </submarco><dia>0</dia><indice>4</indice><horaEntrada>11:00</horaEntrada><horaSalida>11:55</horaSalida><Tipo>X</Tipo></tramo>
<tramo><submarco>1</submarco><dia>1</dia><indice>1</indice><horaEntrada>08:00</horaEntrada><horaSalida>08:55</horaSalida><Tipo>X</Tipo></tramo>
</marcoHorario>
<marcoHorario otro="2" id="9"/>
<marcoHorario/>
</marcosDeHorario></datosGHC>)";

TEST(Chooser, ListsFramesByFirstAttributeWithTheirFirstDayPeriods) {
  const auto marcos = listarMarcos(Document::parse(kDocumento));
  ASSERT_EQ(marcos.size(), 3u);
  EXPECT_EQ(marcos[0].id, "1");
  // only dia exactly "0" and submarco exactly "1"
  EXPECT_EQ(marcos[0].horas, std::vector<std::string>{"1-08:00-08:55-X"});
  EXPECT_EQ(marcos[1].id, "2");  // the first attribute, whatever its name
  EXPECT_EQ(marcos[1].horas, std::vector<std::string>{"1-15:00-15:55-Clase lectiva de"});
  EXPECT_EQ(marcos[2].id, "");
}

TEST(Chooser, ASinglePeriodInTheWholeDocumentIsListed) {
  const auto marcos = listarMarcos(Document::parse(
      "<datosGHC><marcosDeHorario><marcoHorario id=\"1\"><tramo><submarco>1</submarco>"
      "<dia>0</dia><indice>1</indice><horaEntrada>08:00</horaEntrada><horaSalida>09:00"
      "</horaSalida><Tipo>X</Tipo></tramo></marcoHorario><marcoHorario id=\"2\"/>"
      "</marcosDeHorario></datosGHC>"));
  EXPECT_EQ(marcos[0].horas, std::vector<std::string>{"1-08:00-09:00-X"});
}

TEST(Chooser, SelectionRules) {
  const std::vector<MarcoHorario> marcos = {{"1", {}}, {"MAÑANA-LARGO", {}}, {"3", {}}};
  struct Case {
    std::vector<std::size_t> selected;
    bool accepted;
    std::string resultado;
    std::optional<std::string_view> mensaje;
  } cases[] = {
      {{}, false, "", kAlMenosUnMarco},
      {{0, 1, 2}, false, "1         MAÑANA-LAR3         ", kDemasiadosMarcos},
      {{2, 0}, true, "1         3         ", std::nullopt},  // list order, not click order
      {{1}, true, "MAÑANA-LAR", std::nullopt},
  };
  for (const Case& c : cases) {
    const SeleccionMarcos s = evaluarSeleccion(marcos, c.selected);
    EXPECT_EQ(s.resultMH, c.accepted);
    EXPECT_EQ(s.resultado, c.resultado);
    EXPECT_EQ(s.mensaje, c.mensaje);
  }
  EXPECT_EQ(kDemasiadosMarcos,
            "Demasiados Marcos Horarios seleccionados.\r\nComo máximo puede seleccionar 2 "
            "Marcos Horarios");
}

TEST(Chooser, ASelectionTextNamesOneOrTwoFrames) {
  EXPECT_EQ(marcosElegidos("1         2         ").MarcoElegido2, "2");
  EXPECT_EQ(marcosElegidos("1         ").MarcoElegido1, "1");
  EXPECT_EQ(marcosElegidos("1         ").MarcoElegido2, "");
  EXPECT_EQ(marcosElegidos("Ñandúes del río").MarcoElegido1, "Ñandúes de");
}

TEST(Chooser, IdentifiersOnTheCommandLine) {
  const std::vector<MarcoHorario> marcos = {{" 1", {}}, {"2", {}}, {"3", {}}};
  EXPECT_EQ(marcosPorIdentificador(marcos, "3, 1"), (std::vector<std::size_t>{0, 2}));
  EXPECT_THROW(marcosPorIdentificador(marcos, "4"), SeleccionInvalida);
  EXPECT_THROW(marcosPorIdentificador(marcos, ""), SeleccionInvalida);
  try {
    marcosPorIdentificador(marcos, "1,2,3");
    FAIL();
  } catch (const SeleccionInvalida& e) {
    EXPECT_EQ(e.what(), kDemasiadosMarcos);
  }
}

}  // namespace
}  // namespace vestran
