#!/usr/bin/env python3
"""Checks that every #include runs the right way between the folders.

The link rules of the CMake files do not see an include of a header-only part, so this reads
the sources themselves. Each folder may include what its layer may use; an include elsewhere
is reported with its file and line, and the check fails.

    check_layers.py SOURCE_ROOT
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')

# Project folders each layer may include, longest prefix first; whether Qt headers may appear.
# "Qt" means any Qt header; "QtCore" only the core module's (signals, no painting, no widgets).
RULES = [
    ("engine/", ["engine/"], None),
    ("graph/render/", ["engine/", "graph/"], "QtGui"),
    ("graph/", ["engine/", "graph/"], None),
    ("ui/session/", ["engine/", "graph/", "ui/session/"], "QtCore"),
    ("ui/widgets/", ["engine/", "graph/", "ui/widgets/"], "Qt"),
    ("ui/circuit_page/", ["engine/", "graph/", "ui/widgets/", "ui/session/", "ui/circuit_page/"],
     "Qt"),
    ("ui/graph_page/", ["engine/", "graph/", "ui/widgets/", "ui/session/", "ui/graph_page/"],
     "Qt"),
    ("ui/zc_page/", ["engine/", "graph/", "ui/widgets/", "ui/session/", "ui/zc_page/"], "Qt"),
    ("ui/", ["engine/", "graph/", "ui/"], "Qt"),
    ("cli/", ["engine/", "cli/", "graph/render/", "graph/"], "QtGui"),
]

# Qt headers that need no more than the core module.
QT_CORE = re.compile(r"^(QtCore/|QObject|QString|QStringList|QByteArray|QFile|QDir|QFileInfo|"
                     r"QList|QVector|QMap|QHash|QSet|QPointer|QTimer|QElapsedTimer|QDebug|"
                     r"QMetaObject|QVariant|QStandardPaths|QCoreApplication|QSaveFile|QLocale|"
                     r"QPoint|QRect|QSize|QtGlobal|QtMath|QIODevice|QTextStream|QSignalBlocker|"
                     r"QScopeGuard|QDateTime|QUrl|QProcess|QThread|QMutex)\b")
QT_WIDGETS = re.compile(r"^(QtWidgets/|QWidget|QApplication|QLabel|QMenu|QAction|QDialog|"
                        r"QMessageBox|QFileDialog|QLineEdit|QCheckBox|QComboBox|QPushButton|"
                        r"QToolButton|QScrollBar|QSlider|QTable|QHeaderView|QBoxLayout|"
                        r"QVBoxLayout|QHBoxLayout|QFrame|QRadioButton|QAbstract|QStyle|QToolTip|"
                        r"QShortcut|QScrollArea|QGroupBox|QSpinBox|QDoubleSpinBox|QSplitter|"
                        r"QTabWidget|QTextEdit|QPlainTextEdit|QStatusBar|QMainWindow|QLayout)")
# Pages and the session never include the form; nothing but ui/ and app/ includes ui/.
FORM = re.compile(r"^ui/tform1")


def rule_for(path):
    for prefix, allowed, qt in RULES:
        if path.startswith(prefix):
            return prefix, allowed, qt
    return None


def qt_allowed(header, qt):
    if not header.startswith("Q"):
        return True
    if qt == "Qt":
        return True
    if qt is None:
        return False
    if qt == "QtCore":
        return bool(QT_CORE.match(header))
    return not QT_WIDGETS.match(header)  # QtGui: core and painting, no widgets


def check(root):
    faults = []
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".h", ".cpp") or "build" in path.relative_to(root).parts[0]:
            continue
        rel = path.relative_to(root).as_posix()
        rule = rule_for(rel)
        if rule is None:
            continue
        prefix, allowed, qt = rule
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quote, header = match.groups()
            if quote == "<":
                if not qt_allowed(header, qt):
                    faults.append(f"{rel}:{number}: <{header}> is not for the {prefix} layer")
                continue
            if "/" not in header:
                continue  # a generated file beside the source (moc)
            if prefix.startswith("ui/") and prefix != "ui/" and FORM.match(header):
                faults.append(f"{rel}:{number}: \"{header}\": a page never includes the form")
            elif not any(header.startswith(a) for a in allowed):
                faults.append(f"{rel}:{number}: \"{header}\" crosses a layer the wrong way")
    return faults


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    faults = check(pathlib.Path(sys.argv[1]))
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) against the layers")
        return 1
    print("every include runs the right way")
    return 0


if __name__ == "__main__":
    sys.exit(main())
