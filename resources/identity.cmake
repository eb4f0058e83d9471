# The program's identity, in one place: the Linux build, the version resource
# of the Windows build and its tests all read these.
set(QUILLORY_NAME "Quillory")
set(QUILLORY_VERSION "1.7.0.0")
set(QUILLORY_VERSION_COMMAS "1,7,0,0")
set(QUILLORY_VERSION_TEXT "1.07")
set(QUILLORY_INTERNAL_NAME "quillory")
set(QUILLORY_COMMENTS "A program to display a website in full screen mode, reverting to a homepage after a set time")
set(QUILLORY_COMPANY "Quillory Kiosk Software")
set(QUILLORY_COPYRIGHT "Copyright (C) 2026 the Quillory developers")
