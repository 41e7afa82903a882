"""Makes a PE image's resource section read-only, in place.

Usage: python3 readonly_resources.py IMAGE

The GNU linker always marks .rsrc writable, whatever its inputs or linker
script say; the resources are only ever read. Clears that one bit and then
the header's checksum, which covers it, is computed anew: nothing else of the
file changes.
"""

import sys

import pefile

path = sys.argv[1]
with pefile.PE(path) as image:
    resources = [s for s in image.sections if s.Name.rstrip(b"\0") == b".rsrc"]
    if len(resources) != 1:
        sys.exit(f"{path}: {len(resources)} .rsrc sections, expected one")
    resources[0].Characteristics &= ~pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_WRITE"]
    data = image.write()
with pefile.PE(data=data) as image:
    image.OPTIONAL_HEADER.CheckSum = image.generate_checksum()
    data = image.write()
with open(path, "wb") as file:
    file.write(data)
