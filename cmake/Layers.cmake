# The layers of the program and what each may include: a folder's code sees only the folders
# listed for it. The build gives each library an include root with just these folders, and
# the layering test checks every #include of the source tree against the same table.
#   data <- model <- dialogs <- app <- main;  data <- panes <- app;  platform under panes,
#   dialogs and app.
set(STRATAVIEW_LAYERS data platform model panes dialogs app tools decoder fuzz)
set(STRATAVIEW_LAYER_USES_data data)
set(STRATAVIEW_LAYER_USES_platform platform data)
set(STRATAVIEW_LAYER_USES_model model data)
set(STRATAVIEW_LAYER_USES_panes panes platform data)
set(STRATAVIEW_LAYER_USES_dialogs dialogs model platform data)
set(STRATAVIEW_LAYER_USES_app app dialogs panes model platform data)
# The programs built beside the viewer (tools/*) read and write data only.
set(STRATAVIEW_LAYER_USES_tools data)
# The decoder helper runs the toolkits' decoders for the program.
set(STRATAVIEW_LAYER_USES_decoder data)
# The fuzzing harnesses feed files to the readers.
set(STRATAVIEW_LAYER_USES_fuzz fuzz data)
# main.cpp at the top of the tree starts the application; it stands above every layer.
set(STRATAVIEW_MAIN_USES app ${STRATAVIEW_LAYER_USES_app})
