#!/usr/bin/env python3
"""Writes centro-ejemplo.xml: the exchange document of an invented secondary school,
IES Valle del Jerte, used by the demonstration and the tests.

Two time frames (1, morning; 2, afternoon), 20 groups, about 40 teachers and a few
hundred teaching sessions, plus a few rough spots that the run report should catch:
a subject listed twice in different letter case, a session of a subject that is not in
the subject list, an unknown teacher code, a teacher without a full name, a group of a
frame that does not exist, a session with two groups and a name with a letter that
Windows-1252 lacks. Deterministic: the same script always writes the same file.
Standard library only.
"""
import random
from pathlib import Path
from xml.sax.saxutils import escape, quoteattr

rng = random.Random(1809)

MANANA = [("08:30", "09:25", "Lectiva"), ("09:25", "10:20", "Lectiva"),
          ("10:20", "11:15", "Lectiva"), ("11:15", "11:45", "Recreo"),
          ("11:45", "12:40", "Lectiva"), ("12:40", "13:35", "Lectiva"),
          ("13:35", "14:30", "Lectiva")]
TARDE = [("16:00", "16:55", "Lectiva"), ("16:55", "17:50", "Lectiva"),
         ("17:50", "18:45", "Lectiva"), ("18:45", "19:05", "Recreo"),
         ("19:05", "20:00", "Lectiva"), ("20:00", "20:55", "Lectiva")]

ESO = [("Lengua Castellana y Literatura", 4), ("Matemáticas", 4), ("Inglés", 4),
       ("Geografía e Historia", 3), ("Biología y Geología", 3), ("Física y Química", 3),
       ("Educación Física", 2), ("Música", 2), ("Educación Plástica, Visual y Audiovisual", 2),
       ("Tecnología y Digitalización", 2), ("Religión", 1), ("Tutoría", 1)]
BACH = [("Lengua Castellana y Literatura", 3), ("Filosofía", 3), ("Inglés", 3),
        ("Matemáticas", 4), ("Física", 4), ("Química", 4), ("Historia de España", 3),
        ("Educación Física", 2), ("Dibujo Técnico", 4)]
FP = [("Sistemas Operativos Monopuesto", 5), ("Redes Locales", 7),
      ("Montaje y Mantenimiento de Equipos", 7), ("Programación", 8),
      ("Bases de Datos", 6), ("Lenguajes de Marcas", 4), ("Formación y Orientación Laboral", 3)]

GRUPOS = (
    [("1", f"{c}º ESO {u}", "ESO", str(c), u, ESO) for c in (1, 2, 3, 4) for u in "ABC"]
    + [("1", f"{c}º Bachillerato {u}", "BACH", str(c), u, BACH) for c in (1, 2) for u in "AB"]
    + [("2", f"{c}º SMR", "CFGM", str(c), "S", FP[:3] + FP[6:]) for c in (1, 2)]
    + [("2", f"{c}º DAM", "CFGS", str(c), "D", FP[3:]) for c in (1, 2)]
)

PROFESORES = [
    ("JGL", "García López, Juana"), ("MRP", "Martín Rodríguez, Pedro"),
    ("AFS", "Fernández Sánchez, Ana"), ("LMO", "Muñoz Ortega, Luis"),
    ("CPN", "Pérez Núñez, Carmen"), ("JAV", "Álvarez Vázquez, José Antonio"),
    ("MIB", "Ibáñez Benítez, María Isabel"), ("RGM", "Gómez Marín, Rafael"),
    ("ESC", "Serrano Castillo, Elena"), ("FJR", "Jiménez Rubio, Francisco Javier"),
    ("PDM", "Díaz Moreno, Pilar"), ("ATL", "Torres Lozano, Antonio"),
    ("MCH", "Cano Herrera, Mercedes"), ("DSG", "Santos Gil, David"),
    ("LRC", "Romero Cabrera, Lucía"), ("SPV", "Prieto Vidal, Sergio"),
    ("IMF", "Molina Fuentes, Inmaculada"), ("JCA", "Castro Aguilar, Juan Carlos"),
    ("BNS", "Navarro Soto, Beatriz"), ("AOR", "Ortiz Ramos, Alberto"),
    ("TMG", "Méndez Guerrero, Teresa"), ("VDC", "Delgado Cruz, Víctor"),
    ("NPE", "Peña Espinosa, Nuria"), ("RFL", "Flores León, Raquel"),
    ("GHB", "Herrero Blanco, Gonzalo"), ("MSM", "Suárez Medina, Marta"),
    ("OCV", "Calvo Vega, Óscar"), ("EGR", "Giménez Reyes, Eva"),
    ("JLP", "Lorenzo Pascual, Jorge"), ("SRI", "Iglesias Rojas, Silvia"),
    ("PAM", "Montero Arias, Pablo"), ("CLB", "Bravo Lorente, Cristina"),
    ("IGD", "Domínguez Gallego, Ignacio"), ("MVS", "Vicente Sáez, Marina"),
    ("HCP", "Carmona Parra, Héctor"), ("AEM", "Esteban Mora, Alicia"),
    ("MGR", "Garrido Roldán, Manuel"), ("MGR", "Gutiérrez Roca, Miriam"),
    ("ŁKW", "Kowalski, Łukasz"),
    ("YBN", None),  # no full name: a rough spot
]

AULAS = ([f"Aula {p}.{n:02d}" for p in (1, 2) for n in range(1, 11)]
         + ["Laboratorio de Física", "Laboratorio de Química", "Laboratorio de Biología",
            "Aula de Música", "Aula de Plástica", "Taller de Tecnología", "Gimnasio",
            "Aula de Informática 1", "Aula de Informática 2", "Biblioteca"])

TAREAS = ["Guardia", "Guardia de recreo", "Reunión de Departamento", "Tutoría con familias",
          "Jefatura de Departamento"]


def tramos(marco, periodos):
    out = []
    for dia in range(5):
        for i, (entrada, salida, tipo) in enumerate(periodos, start=1):
            out.append(
                f"      <tramo><submarco>{marco}</submarco><dia>{dia}</dia><indice>{i}</indice>"
                f"<horaEntrada>{entrada}:00</horaEntrada><horaSalida>{salida}:00</horaSalida>"
                f"<Tipo>{tipo}</Tipo></tramo>")
    return out


def sesion(ident, materia, profesor, grupo, horas, tarea="", grupo_extra=None):
    grupos = f"<grupo>{escape(grupo)}</grupo>"
    if grupo_extra:
        grupos += f"<grupo>{escape(grupo_extra)}</grupo>"
    return (f"    <sesion id=\"{ident}\"><materia>{escape(materia)}</materia>"
            f"<profesor>{escape(profesor)}</profesor>{grupos}"
            f"<distribucionSemanal><distribucionVariable><numSesiones>{horas}</numSesiones>"
            f"</distribucionVariable></distribucionSemanal><tarea>{escape(tarea)}</tarea></sesion>")


def main():
    materias = []
    for _, _, _, _, _, plan in GRUPOS:
        for nombre, _ in plan:
            if nombre not in materias:
                materias.append(nombre)
    materias.insert(7, "Educación física")  # the same subject in other letter case

    lines = ['<?xml version="1.0" encoding="ISO-8859-1"?>',
             "<!-- IES Valle del Jerte (centro inventado), curso 2026-2027 -->",
             '<datosGHC version="1.0">', "  <materias>"]
    lines += [f"    <materia>{escape(m)}</materia>" for m in materias]
    lines += ["  </materias>", "  <tareas>"]
    lines += [f"    <tarea>{escape(t)}</tarea>" for t in TAREAS]
    lines += ["  </tareas>", "  <profesores>"]
    for corto, completo in PROFESORES:
        completo_xml = f"<nombreCompleto>{escape(completo)}</nombreCompleto>" if completo else ""
        lines.append(f"    <profesor><nombre>{escape(corto)}</nombre>{completo_xml}</profesor>")
    lines += ["  </profesores>", "  <aulas>"]
    lines += [f"    <aula><nombre>{escape(a)}</nombre></aula>" for a in AULAS]
    lines += ["  </aulas>", "  <conjuntoDeAulas>",
              '    <general nombre="Aula de desdoble" numero="4"/>', "  </conjuntoDeAulas>",
              "  <marcosDeHorario>", '    <marcoHorario id="1" nombre="Mañana">']
    lines += tramos("1", MANANA)
    lines += ["    </marcoHorario>", '    <marcoHorario id="2" nombre="Tarde">']
    lines += tramos("2", TARDE)
    lines += ["    </marcoHorario>", "  </marcosDeHorario>", "  <grupos>"]
    for marco, nombre, nivel, curso, unidad, _ in GRUPOS:
        lines.append(f"    <grupo submarco=\"{marco}\"><nombre>{escape(nombre)}</nombre>"
                     f"<nivel>{nivel}</nivel><curso>{curso}</curso><unidad>{unidad}</unidad>"
                     "</grupo>")
    lines.append('    <grupo submarco="3"><nombre>Aula Taller</nombre><nivel>TALL</nivel>'
                 "<curso>1</curso><unidad>T</unidad></grupo>")  # its frame does not exist
    lines += ["  </grupos>", "  <sesionesLectivas>"]

    ident = 1000
    cortos = [c for c, _ in PROFESORES]
    for _, nombre, _, _, _, plan in GRUPOS:
        for materia, horas in plan:
            ident += 1
            lines.append(sesion(ident, materia, rng.choice(cortos), nombre, horas))
    # Split classes: a second teacher for part of the English and Mathematics periods.
    for _, nombre, nivel, _, _, _ in GRUPOS:
        if nivel == "ESO":
            for materia in ("Inglés", "Matemáticas"):
                ident += 1
                lines.append(sesion(ident, materia, rng.choice(cortos), nombre, 1))
    for corto in cortos[:30]:
        ident += 1
        lines.append(sesion(ident, "Guardia", corto, "", 2, "Guardia"))
    # Rough spots.
    lines.append(sesion(ident + 1, "Ajedrez", "JGL", "1º ESO A", 1))
    lines.append(sesion(ident + 2, "Matemáticas", "XXX", "2º ESO B", 1))
    lines.append(sesion(ident + 3, "Música", "MRP", "3º ESO A", 1, grupo_extra="3º ESO B"))
    lines.append(sesion(ident + 4, "Tutoría", "AEM", "Aula Taller", 1))
    lines += ["  </sesionesLectivas>", "</datosGHC>", ""]

    text = "\n".join(lines)
    # Characters ISO-8859-1 lacks are written as character references.
    data = text.encode("iso-8859-1", errors="xmlcharrefreplace")
    Path(__file__).with_name("centro-ejemplo.xml").write_bytes(data)


if __name__ == "__main__":
    main()
