// The whole round trip on the bundled example, checked with Python's own XML reader.

#include <gtest/gtest.h>

#include "support/test_support.hpp"

namespace vestran::test {
namespace {

TEST(RoundTrip, ExportStandInPlannerAndImportOnTheBundledExample) {
  TempDir dir;
  const auto example = std::filesystem::path(VESTRAN_EXAMPLES) / "centro-ejemplo.xml";
  std::filesystem::copy_file(example, dir / "centro-ejemplo.xml");
  const Environment env = {{"VESTRAN_DTEMP", utf8(dir / "DTEMP")}};
  const std::string doc = utf8(dir / "centro-ejemplo.xml");

  auto r = run({VESTRAN_CLI, "exportar", doc, "--marcos", "1,2"}, {}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = run({VESTRAN_SIMULAR_SOLUC}, {}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = run({VESTRAN_CLI, "importar", doc}, {}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Proceso finalizado\n"), std::string::npos);

  EXPECT_EQ(readFile(dir / "centro-ejemplo.xml"), readFile(example));
  REQUIRE_INDEPENDENT_TOOLS();
  const std::string verdict = python(R"(
import sys, xml.etree.ElementTree as ET
entrada = ET.parse(sys.argv[1]).getroot()
salida = ET.parse(sys.argv[2]).getroot()
ids = {s.attrib['id'] for s in entrada.iter('sesion') if 'id' in s.attrib}
marcos = {m.attrib['id'] for m in entrada.iter('marcoHorario')}
horarios = salida.findall('horario')
assert len(horarios) == 1, len(horarios)
assert len(entrada.findall('horario')) == 0
# everything of the input is still there, in order, before the new section
assert [e.tag for e in salida][:-1] == [e.tag for e in entrada]
tramos = horarios[0].findall('tramo')
for t in tramos:
    assert list(t.attrib) == ['dia', 'indice', 'marco'], t.attrib
    assert 0 <= int(t.attrib['dia']) <= 4 and int(t.attrib['indice']) >= 1, t.attrib
    assert t.attrib['marco'] in marcos, t.attrib
    hijos = list(t)
    assert [h.tag for h in hijos] == ['aula'], hijos
    aula = hijos[0]
    assert len(aula.attrib) == 1 and list(aula.attrib)[0] in ('id', 'anonima'), aula.attrib
    assert [h.tag for h in aula] == ['sesion', 'profesor'], list(aula)
    assert aula.find('sesion').text in ids, aula.find('sesion').text
print(len(tramos))
)",
                                     {(dir / "centro-ejemplo.xml").string(),
                                      (dir / "ResultadoVestrancentro-ejemplo.xml").string()});
  EXPECT_NE(r.out.find("Clases escritas en el horario: " + verdict.substr(0, verdict.size() - 1)),
            std::string::npos)
      << verdict << r.out;
  EXPECT_GT(std::stoi(verdict), 500);
}

}  // namespace
}  // namespace vestran::test
