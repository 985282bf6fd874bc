# The one place Pellon's version is set. pellon.exe's version resource reads it through
# the generated PellonVersion.h; the setup program takes its name and its Add/Remove
# entry from it.
set(PELLON_VERSION 1.0.0)
