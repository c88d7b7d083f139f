// Command-line parsing of the editor.
