/* Ornavex skin: a quiet frame around the list, in the desktop's own colours.
   Every colour comes from the palette, and every background is set together
   with the text colour that goes on it, so light and dark desktops alike
   read well. */
QMainWindow, QWidget#Form2 { background: palette(window); }
QMenuBar { background: palette(button); color: palette(button-text);
           border-bottom: 1px solid palette(mid); font-family: Calibri, Carlito; font-size: 11pt; }
QMenuBar::item:selected { background: palette(highlight); color: palette(highlighted-text); }
QToolBar { background: palette(button); border: none; border-bottom: 1px solid palette(mid);
           spacing: 6px; padding: 2px 4px; }
QToolBar QToolButton { border: 1px solid transparent; border-radius: 6px; padding: 2px 6px;
                       background: transparent; color: palette(button-text);
                       font-family: Calibri, Carlito; font-size: 11pt; }
QToolBar QToolButton:hover { background: palette(light); color: palette(button-text);
                             border-color: palette(mid); }
QToolBar QToolButton:pressed { background: palette(midlight); color: palette(button-text); }
/* The overflow button that reaches the buttons a narrow window cannot show
   keeps its own small size. */
QToolBar QToolButton#qt_toolbar_ext_button { padding: 0px; margin: 0px; border-radius: 3px;
                                             min-width: 14px; }
QAbstractItemView { background: palette(base); color: palette(text);
                    border: 1px solid palette(mid); border-radius: 4px;
                    selection-background-color: palette(highlight);
                    selection-color: palette(highlighted-text); }
QHeaderView { background: palette(button); }
QHeaderView::section { background: palette(button); color: palette(button-text); border: none;
                       border-bottom: 1px solid palette(mid); padding: 3px 6px; font-weight: bold; }
#progressPanel { background: palette(button); border-top: 1px solid palette(mid); }
#progressPanel QLabel { color: palette(button-text); }
