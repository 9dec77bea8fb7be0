# The module's own fixtures, and pytester for running the plugin in a pytest of its own.
pytest_plugins = ["quillon.pytest_plugin", "pytester"]
