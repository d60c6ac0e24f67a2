# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads and drives the running program over AT-SPI, as Orca does.

Only what a screen reader is given is used: accessible names, roles and
descriptions, and the Text, EditableText and Action interfaces. Each check
prints "ok: ..." or "FAIL: ..." with what was read; the exit status is
non-zero if any check failed.
"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

# A call that gets no reply in this long fails, rather than wait for ever on
# a program that does not answer.
CALL_TIMEOUT_MS = 10000
# What a screen reader's user would take for a program that hangs.
PROMPT_SECONDS = 5.0

FORM_BOXES = ["Valor Actual", "Rendimiento", "Volatilidad", "Tiempo", "Precio Minimo", "Precio Maximo",
              "Precio Esperado", "Variacion esperada", "Media Dn", "Volatilidad Dn"]
WORKED_INPUTS = [("Valor Actual", "100"), ("Rendimiento", "10"), ("Volatilidad", "20"), ("Tiempo", "12")]
# Each button, the box it writes and what the worked example gives there;
# the band (the first two) is read by the four after it.
WORKED_RESULTS = [("Media Dn", "Media Dn", "4.68517018598809"),
                  ("Vol Dn", "Volatilidad Dn", "0.2"),
                  ("Precio Minimo", "Precio Minimo", "73.1981528228311"),
                  ("Precio Maximo", "Precio Maximo", "160.319738372657"),
                  ("Precio Esperado", "Precio Esperado", "110.517091807565"),
                  ("Volatilidad Esperada", "Variacion esperada", "22.3263055970384")]

MAIN_WINDOW = "Simulador"  # part of the form's title
DISTRIBUTION_ITEM = "Distribución del precio…"
DISTRIBUTION_WINDOW = "Distribución del precio"
LEVEL_BOX = "Nivel de confianza (%)"
TARGET_BOX = "Precio objetivo"
SCALE_CHOICE = "Eje de precios"
SCALE_SETTING = "Lineal"  # the price axis when the window opens
FIGURES = "Cifras al horizonte"
CHART = "Gráfico de la distribución"
FIGURE_LINES = ["z: 2.5758293035489", "Precio Minimo: 64.7157320203497", "Precio Maximo: 181.333168049895",
                "Mediana: 108.328706767496", "Precio Esperado: 110.517091807565",
                "Variacion esperada: 22.3263055970384", "Por encima de 130: 18.09 %",
                "Por debajo de 130: 81.91 %", "Toca 130 antes del horizonte: 30.51 %",
                "Entre 90 y 130: 64.21 %"]
LOWER_BOX = "Límite inferior"
UPPER_BOX = "Límite superior"
CHART_KIND_CHOICE = "Gráfico"
CHART_KIND_SETTING = "Abanico"  # the chart when the window opens
PERCENTILES = "Percentiles al horizonte"
PERCENTILE_LINES = ["1 %: 68.0267228577013", "50 %: 108.328706767496", "99 %: 172.507335602005"]
READING = "Lectura del gráfico"
# What the chart and the line under it say once the Right key reads the fan
# from the focused chart: the horizon first.
READING_START = "Mes 12: banda 64.7157320203497 a 181.333168049895"
CHART_PARTS = ["99 %", "64.7157320203497", "181.333168049895", "108.328706767496", "18.09 %", "81.91 %"]
PASTE_ITEM = "Pegar precios"
ESTIMATION_WINDOW = "Estimación desde precios"
# What the clipboard holds when prices are pasted: a finance site's columns.
PASTED_PRICES = ("Date,Open,High,Low,Close,Adj Close,Volume\n"
                 "2024-01-02,10,11,9,10.5,10.4,100\n2024-01-03,10.5,11,10,10.8,10.7,120\n"
                 "2024-01-04,10.8,11.2,10.1,10.2,10.1,90\n2024-01-05,10.2,10.9,10,10.6,10.55,80\n")
COLUMN_LIST = "Columna de precios"
COLUMN_SETTING = "Adj Close"
PERIODS_BOX = "Periodos por año"
ESTIMATION_FIGURES = "Cifras estimadas"
ESTIMATION_FIGURE_LINES = ["Origen: Portapapeles", "Columna de precios: Adj Close", "Precios: 4",
                           "Rendimientos: 3", "Primera fecha: 2024-01-02", "Última fecha: 2024-01-05",
                           "Periodos por año: 252", "Valor Actual: 10.55"]
ESTIMATION_CHARTS = {"Gráfico de los precios": ["4 precios", "2024-01-02", "2024-01-05", "10.55"],
                     "Histograma de los rendimientos": ["3 rendimientos"]}
USE_IN_FORM = "Usar en el formulario"
# The figure each box of the form takes from the window.
FORM_FROM_FIGURES = [("Valor Actual", "Valor Actual"), ("Rendimiento", "Rendimiento (% anual)"),
                     ("Volatilidad", "Volatilidad (% anual)")]
ABOUT_ITEM = "Acerca de Cotalia"
ABOUT_TITLE = "Acerca de Cotalia"
ABOUT_VERSION = "Cotalia 1.00"

INPUT_ROLES = {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_SPIN_BUTTON,
               pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_LIST,
               pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_SLIDER, pyatspi.ROLE_TOGGLE_BUTTON}

failures = []


def ok(message):
    print("ok: " + message, flush=True)


def fail(message):
    failures.append(message)
    print("FAIL: " + message, flush=True)


def check(condition, message, read=None):
    """Passes or fails one check; what was read goes with a failure."""
    if condition:
        ok(message)
    else:
        fail(message if read is None else "%s (read: %r)" % (message, read))
    return condition


def pump():
    """Lets libatspi take in the program's signals, so that its cache of
    names and children follows the program."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(probe, seconds=5.0):
    """What probe gives once it gives something true, or its last answer
    when the time is up."""
    deadline = time.monotonic() + seconds
    while True:
        pump()
        try:
            value = probe()
        except GLib.Error:  # the object went away or did not answer
            value = None
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(0.05)


def children(accessible):
    try:
        accessible.clearCache()
        return [child for child in (accessible.getChildAtIndex(i) for i in range(accessible.childCount))
                if child is not None]
    except GLib.Error:
        return []


def descendants(accessible, depth=0):
    """Every object below accessible, in the order a screen reader walks
    them (a menu's items included, whether it is open or not)."""
    found = []
    if depth > 20:
        return found
    for child in children(accessible):
        found.append(child)
        found.extend(descendants(child, depth + 1))
    return found


def role_of(accessible):
    try:
        return accessible.getRoleName()
    except GLib.Error:
        return "?"


def interfaces_of(accessible):
    try:
        return list(pyatspi.listInterfaces(accessible))
    except GLib.Error:
        return []


def text_of(accessible):
    """The text as the Text interface gives it; None without one."""
    if "Text" not in interfaces_of(accessible):
        return None
    return accessible.queryText().getText(0, -1)


def labels_of(accessible):
    """The names of the objects that label this one: a screen reader says
    them with the object's own name."""
    try:
        return [relation.getTarget(i).name for relation in accessible.getRelationSet()
                if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                for i in range(relation.getNTargets())]
    except GLib.Error:
        return []


def describe(accessible):
    text = text_of(accessible)
    labels = labels_of(accessible)
    return "%s %r%s%s%s" % (role_of(accessible), accessible.name,
                            "" if not labels else " labelled by %r" % labels,
                            "" if not accessible.description else " description=%r" % accessible.description,
                            "" if text is None else " text=%r" % text)


def states_of(accessible):
    try:
        return accessible.getState().getStates()
    except GLib.Error:
        return []


def setting_of(choice):
    """What a screen reader says a choice is set to, by the ways Orca looks:
    its text, its selected or checked item, or (as Qt gives a plain combo box
    on Linux) a name of its own beside the label that names it."""
    if choice.getRole() == pyatspi.ROLE_RADIO_BUTTON:
        return [choice.name] if pyatspi.STATE_CHECKED in states_of(choice) else []
    said = []
    if text_of(choice):
        said.append(text_of(choice))
    if "Selection" in interfaces_of(choice):
        selection = choice.querySelection()
        said += [selection.getSelectedChild(i).name for i in range(selection.nSelectedChildren)]
    for item in descendants(choice):
        if item.getRole() in {pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_RADIO_BUTTON} and (
                {pyatspi.STATE_SELECTED, pyatspi.STATE_CHECKED} & set(states_of(item))):
            said.append(item.name)
    if labels_of(choice) and choice.name not in labels_of(choice):
        said.append(choice.name)
    return said


def named(objects, name, roles=None):
    return [o for o in objects if o.name == name and (roles is None or o.getRole() in roles)]


def find_application():
    desktop = pyatspi.Registry.getDesktop(0)
    for application in children(desktop):
        if application.name.lower() == "cotalia":
            return application
        if any(MAIN_WINDOW in (window.name or "") for window in children(application)):
            return application
    return None


def window_named(application, part):
    for window in children(application):
        if part in (window.name or ""):
            return window
    return None


def actions_of(accessible):
    try:
        action = accessible.queryAction()
        return [action.getName(i) for i in range(action.nActions)]
    except (GLib.Error, NotImplementedError):
        return []


def activate(accessible):
    """Does the object's default action as an assistive technology does:
    "Press" for a button or a menu item. Returns the seconds the call took."""
    action = accessible.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    index = names.index("Press") if "Press" in names else 0
    start = time.monotonic()
    action.doAction(index)
    return time.monotonic() - start


def read_the_form(window):
    boxes = [o for o in descendants(window) if o.getRole() == pyatspi.ROLE_TEXT]
    print("text boxes of the form:")
    for box in boxes:
        print("  " + describe(box))
    names = [box.name for box in boxes]
    check(names == FORM_BOXES, "the form's ten text boxes are named by their labels, in order", names)
    return {box.name: box for box in boxes}


def type_into(box, name, text):
    """Writes a box's whole text as an assistive technology does, and reads
    it back."""
    box.queryEditableText().setTextContents(text)
    wait_for(lambda: text_of(box) == text)
    check(text_of(box) == text, "typed %s into %r" % (text, name), text_of(box))


def compute_the_worked_example(window, boxes):
    for name, text in WORKED_INPUTS:
        if name in boxes:
            type_into(boxes[name], name, text)
        else:
            fail("no text box named %r to type into" % name)
    buttons = [o for o in descendants(window) if o.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    print("push buttons of the form: " + ", ".join(repr(b.name) for b in buttons))
    for button_name, box_name, expected in WORKED_RESULTS:
        button = named(buttons, button_name)
        box = boxes.get(box_name)
        if not button or box is None:
            fail("no push button %r or no box %r" % (button_name, box_name))
            continue
        activate(button[0])
        # A pressed button's click arrives a moment after the action returns.
        wait_for(lambda box=box, expected=expected: text_of(box) == expected)
        check(text_of(box) == expected, "%r gives %s in %r" % (button_name, expected, box_name), text_of(box))


def open_the_distribution_window(application, main_window):
    items = named(descendants(main_window), DISTRIBUTION_ITEM, {pyatspi.ROLE_MENU_ITEM})
    window = None
    if not items:
        print("no menu item named %r" % DISTRIBUTION_ITEM)
    else:
        try:
            activate(items[0])
            window = wait_for(lambda: window_named(application, DISTRIBUTION_WINDOW))
        except GLib.Error as error:
            print("the menu item's action failed: %s" % error)
    if check(window is not None,
             "%r opens %r through the Action interface" % (DISTRIBUTION_ITEM, DISTRIBUTION_WINDOW)):
        return window
    print("falling back to the keyboard: xdotool key ctrl+d")
    subprocess.run(["xdotool", "search", "--onlyvisible", "--name", MAIN_WINDOW, "windowfocus", "--sync",
                    "key", "ctrl+d"], timeout=10, check=False)
    window = wait_for(lambda: window_named(application, DISTRIBUTION_WINDOW))
    check(window is not None, "ctrl+d opens %r" % DISTRIBUTION_WINDOW)
    return window


def read_the_choices(everything):
    # A combo box's own list of items is part of the combo box.
    inputs = [o for o in everything if o.getRole() in INPUT_ROLES and o.parent is not None and
              o.parent.getRole() != pyatspi.ROLE_COMBO_BOX]
    print("inputs and choices, as announced (name: role):")
    for accessible in inputs:
        labels = labels_of(accessible)
        print("  %r: %s%s%s" % (accessible.name, role_of(accessible),
                                ", read only" if pyatspi.STATE_READ_ONLY in states_of(accessible) else "",
                                ", labelled by %r" % labels if labels else ""))
    choices = [o for o in inputs if o.getRole() not in {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY}]
    for choice in choices:
        print("%s %r: its setting reads %r; its children: %s; its actions: %s" %
              (role_of(choice), choice.name, setting_of(choice), [describe(c) for c in children(choice)],
               actions_of(choice)))
    # The choice itself carries the name (a list of choices, or a group of
    # radio buttons under it), not only a label beside it.
    groups = [o for o in everything if o.getRole() in {pyatspi.ROLE_PANEL, pyatspi.ROLE_GROUPING} and
              any(c.getRole() == pyatspi.ROLE_RADIO_BUTTON for c in descendants(o))]
    check(bool(named(choices + groups, SCALE_CHOICE)),
          "the price axis choice is announced as %r" % SCALE_CHOICE,
          ["%s %r" % (role_of(o), o.name) for o in choices + groups])
    scale = [o for o in choices if SCALE_CHOICE in [o.name] + labels_of(o)]
    check(any(SCALE_SETTING in setting_of(o) for o in scale),
          "the price axis choice tells its setting, %r" % SCALE_SETTING, [setting_of(o) for o in scale])


def read_the_figures(everything):
    # A label of the same name may stand beside the figures: the figures are
    # the object of that name whose text can be read.
    figures = named(everything, FIGURES)
    readable = [o for o in figures if text_of(o) is not None]
    if not figures:
        fail("no object named %r" % FIGURES)
        return
    if not readable:
        fail("no object named %r has a Text interface (%s): the figures cannot be read" %
             (FIGURES, "; ".join("%s with %s" % (role_of(o), ",".join(interfaces_of(o))) for o in figures)))
        return
    wait_for(lambda: FIGURE_LINES[0] in (text_of(readable[0]) or ""))
    figures_text = text_of(readable[0])
    print("%r reads:\n%s" % (FIGURES, figures_text))
    lines = figures_text.splitlines()
    for line in FIGURE_LINES:
        check(line in lines, "the figures read %r" % line)


def read_the_chart(everything):
    chart = named(everything, CHART)
    if not chart:
        fail("no object named %r (names read: %s)" % (CHART, [o.name for o in everything if o.name]))
        return
    description = chart[0].description
    print("%r is described as: %r" % (CHART, description))
    for part in CHART_PARTS:
        check(part in description, "the chart's description tells %r" % part, description)


def read_the_distribution_window(application, main_window):
    window = open_the_distribution_window(application, main_window)
    if window is None:
        return
    everything = descendants(window)
    for name, text in [(LEVEL_BOX, "99"), (TARGET_BOX, "130"), (LOWER_BOX, "90"), (UPPER_BOX, "130")]:
        box = named(everything, name, {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_SPIN_BUTTON})
        if box:
            type_into(box[0], name, text)
        else:
            fail("no text box named %r" % name)
    everything = descendants(window)
    print("every object of %r:" % DISTRIBUTION_WINDOW)
    for accessible in everything:
        print("  %s [%s]" % (describe(accessible), ",".join(interfaces_of(accessible))))
    read_the_choices(everything)
    read_the_figures(everything)
    read_the_chart(everything)
    read_the_percentiles(everything)
    read_the_chart_with_the_keys(everything)


def read_the_percentiles(everything):
    readable = [o for o in named(everything, PERCENTILES) if text_of(o) is not None]
    if not readable:
        fail("no object named %r whose text can be read" % PERCENTILES)
        return
    text = text_of(readable[0])
    print("%r reads:\n%s" % (PERCENTILES, text))
    for line in PERCENTILE_LINES:
        check(line in text.splitlines(), "the percentiles read %r" % line)


def read_the_chart_with_the_keys(everything):
    """The chart kind's choice tells its setting; the chart takes the focus,
    and the Right key reads the fan at the horizon: the chart's description
    and the line under it both say it."""
    kind = [o for o in everything if o.name == CHART_KIND_CHOICE or CHART_KIND_CHOICE in labels_of(o)]
    check(bool(kind), "the chart's kind is announced as %r" % CHART_KIND_CHOICE)
    settings = [s for o in kind for c in [o] + descendants(o) for s in setting_of(c)]
    check(CHART_KIND_SETTING in settings, "the chart's kind tells its setting, %r" % CHART_KIND_SETTING, settings)
    chart = named(everything, CHART)
    if not chart:
        return
    chart[0].queryComponent().grabFocus()
    wait_for(lambda: pyatspi.STATE_FOCUSED in states_of(chart[0]))
    check(pyatspi.STATE_FOCUSED in states_of(chart[0]), "the chart takes the focus")
    subprocess.run(["xdotool", "search", "--onlyvisible", "--name", DISTRIBUTION_WINDOW, "windowfocus", "--sync",
                    "key", "Right"], timeout=10, check=False)
    wait_for(lambda: chart[0].description.startswith(READING_START))
    print("after the Right key, %r is described as: %r" % (CHART, chart[0].description))
    check(chart[0].description.startswith(READING_START), "the chart's description leads with the reading",
          chart[0].description)
    line = [o for o in everything if o.name == READING]
    said = [o.description for o in line] + [text_of(o) or "" for o in line]
    check(any(s.startswith(READING_START) for s in said), "%r reads the reading" % READING, said)


def read_the_estimation_window(application, main_window):
    """Prices pasted through the menu, read as a screen reader reads them,
    then put into the form: only its three inputs change."""
    clipboard = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard"], stdin=subprocess.PIPE)
    clipboard.stdin.write(PASTED_PRICES.encode())
    clipboard.stdin.close()
    form = {box.name: box for box in descendants(main_window) if box.getRole() == pyatspi.ROLE_TEXT}
    before = {name: text_of(box) for name, box in form.items()}
    items = named(descendants(main_window), PASTE_ITEM, {pyatspi.ROLE_MENU_ITEM})
    if not check(bool(items), "the menu has an item %r" % PASTE_ITEM):
        return
    seconds = activate(items[0])
    check(seconds < PROMPT_SECONDS, "%r answers its action promptly (%.2f s)" % (PASTE_ITEM, seconds))
    window = wait_for(lambda: window_named(application, ESTIMATION_WINDOW))
    if not check(window is not None, "%r opens %r" % (PASTE_ITEM, ESTIMATION_WINDOW),
                 [w.name for w in children(application)]):
        return
    figures = wait_for(lambda: [o for o in named(descendants(window), ESTIMATION_FIGURES)
                                if "Valor Actual" in (text_of(o) or "")])
    everything = descendants(window)
    print("every object of %r:" % ESTIMATION_WINDOW)
    for accessible in everything:
        print("  %s [%s]" % (describe(accessible), ",".join(interfaces_of(accessible))))
    columns = named(everything, COLUMN_LIST, {pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_TABLE})
    check(bool(columns), "the price column's list is announced as %r" % COLUMN_LIST)
    check(any(COLUMN_SETTING in setting_of(o) for o in columns),
          "the list tells the column read, %r" % COLUMN_SETTING, [setting_of(o) for o in columns])
    check(bool(named(everything, PERIODS_BOX, {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY})),
          "the periods a year's box is announced as %r" % PERIODS_BOX)
    if not check(bool(figures), "an object named %r reads the figures" % ESTIMATION_FIGURES):
        return
    lines = text_of(figures[0]).splitlines()
    print("%r reads:\n%s" % (ESTIMATION_FIGURES, "\n".join(lines)))
    for line in ESTIMATION_FIGURE_LINES:
        check(line in lines, "the figures read %r" % line)
    for name, parts in ESTIMATION_CHARTS.items():
        chart = named(everything, name)
        description = chart[0].description if chart else None
        print("%r is described as: %r" % (name, description))
        check(bool(description) and all(part in description for part in parts),
              "the chart %r is described with %s" % (name, parts), description)
    use = named(everything, USE_IN_FORM, {pyatspi.ROLE_PUSH_BUTTON})
    if not check(bool(use), "the window has a push button %r" % USE_IN_FORM):
        return
    activate(use[0])
    figure = dict(line.split(": ", 1) for line in lines if ": " in line)
    expected = dict(before)
    for box, label in FORM_FROM_FIGURES:
        expected[box] = figure.get(label)
    wait_for(lambda: all(text_of(form[box]) == expected[box] for box, _ in FORM_FROM_FIGURES))
    after = {name: text_of(box) for name, box in form.items()}
    check(after == expected, "%r writes Valor Actual, Rendimiento and Volatilidad, and no other box" % USE_IN_FORM,
          {name: (before[name], after[name]) for name in form if before[name] != after[name]})
    clipboard.kill()


def about_box(application, main_window):
    """The About box, a window of the program's own or a dialog inside the
    form's window, as the toolkit places it; None while there is none."""
    boxes = [window_named(application, ABOUT_TITLE)]
    boxes += named(descendants(main_window), ABOUT_TITLE, {pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT})
    return next((box for box in boxes if box is not None), None)


def read_the_about_box(application, main_window):
    items = named(descendants(main_window), ABOUT_ITEM, {pyatspi.ROLE_MENU_ITEM})
    if not check(bool(items), "the menu has an item %r" % ABOUT_ITEM):
        return
    try:
        seconds = activate(items[0])
        check(seconds < PROMPT_SECONDS, "%r answers its action promptly (%.2f s)" % (ABOUT_ITEM, seconds))
    except GLib.Error as error:
        fail("%r gave no answer to its action within %d s: %s" % (ABOUT_ITEM, CALL_TIMEOUT_MS // 1000, error))
    box = wait_for(lambda: about_box(application, main_window))
    if not check(box is not None, "a window named %r appears" % ABOUT_TITLE,
                 [w.name for w in children(application)]):
        return
    print("%r: %s" % (ABOUT_TITLE, role_of(box)))
    parts = []
    for accessible in descendants(box):
        print("  " + describe(accessible))
        parts += [accessible.name or "", accessible.description or "", text_of(accessible) or ""]
    check(any(ABOUT_VERSION in part for part in parts), "the box reads %r" % ABOUT_VERSION)
    accept = named(descendants(box), "Aceptar", {pyatspi.ROLE_PUSH_BUTTON})
    if check(bool(accept), "the box has a push button 'Aceptar'"):
        activate(accept[0])
        check(wait_for(lambda: about_box(application, main_window) is None), "'Aceptar' closes the box")


def main():
    pyatspi.setTimeout(CALL_TIMEOUT_MS, CALL_TIMEOUT_MS)
    application = wait_for(find_application, 30)
    if application is None:
        names = [a.name for a in children(pyatspi.Registry.getDesktop(0))]
        fail("no application 'cotalia' on the accessibility bus (applications: %s)" % names)
        return 1
    main_window = wait_for(lambda: window_named(application, MAIN_WINDOW), 10)
    if not check(main_window is not None, "the application %r shows its form" % application.name,
                 [w.name for w in children(application)]):
        return 1
    boxes = read_the_form(main_window)
    compute_the_worked_example(main_window, boxes)
    read_the_distribution_window(application, main_window)
    read_the_estimation_window(application, main_window)
    read_the_about_box(application, main_window)
    print("%d checks failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
