/* Ornavex skin: a calm blue-grey frame around the list. */
QMainWindow { background: #e9eef4; }
QMenuBar { background: #dde5ee; border-bottom: 1px solid #c3cfdc; font-family: Calibri; font-size: 11pt; }
QMenuBar::item:selected { background: #c7d6e8; }
QToolBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f7f9fc, stop:1 #dde5ee);
           border: none; border-bottom: 1px solid #c3cfdc; spacing: 6px; padding: 2px 4px; }
QToolBar QToolButton { border: 1px solid transparent; border-radius: 6px; padding: 2px 6px; color: #1f2d3d;
                       font-family: Calibri; font-size: 11pt; }
QToolBar QToolButton:hover { background: #ffffff; border-color: #aabdd3; }
QToolBar QToolButton:pressed { background: #d3e0ef; }
QTreeView { background: #ffffff; border: 1px solid #aabdd3; border-radius: 4px;
            selection-background-color: #3f7fd0; selection-color: #ffffff; }
QHeaderView::section { background: #eef3f8; border: none; border-bottom: 1px solid #c3cfdc;
                       padding: 3px 6px; color: #1f2d3d; font-weight: bold; }
#progressPanel { background: #dde5ee; border-top: 1px solid #c3cfdc; }
