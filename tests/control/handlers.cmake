# Tests of the main window's handlers, end to end against the virtual generator.
