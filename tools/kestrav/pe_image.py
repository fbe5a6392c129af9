"""Reading 32-bit PE images: the data directories and the resource tree, by file offset."""
import struct

IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
EXPORT_DIRECTORY = 0
RESOURCE_DIRECTORY = 2


class PeImage:
    def __init__(self, path):
        data = open(path, "rb").read()
        if data[:2] != b"MZ":
            raise ValueError("not an MZ image")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        machine, sections = struct.unpack_from("<HH", data, pe + 4)
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        self.optional = pe + 24
        magic = struct.unpack_from("<H", data, self.optional)[0]
        if machine != IMAGE_FILE_MACHINE_I386 or magic != PE32_MAGIC:
            raise ValueError("not a 32-bit x86 image (machine %#x, magic %#x)" % (machine, magic))
        self.data = data
        self.spans = []
        section_table = self.optional + optional_size
        for i in range(sections):
            s = section_table + 40 * i
            vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", data, s + 8)
            self.spans.append((va, max(vsize, raw_size), raw_ptr))

    def directory(self, index):
        """(rva, size) of a data directory; rva 0 when the image has none."""
        return struct.unpack_from("<II", self.data, self.optional + 96 + 8 * index)

    def offset(self, rva):
        for va, size, raw in self.spans:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva %#x outside every section" % rva)

    def resources(self):
        """{(type, name): bytes} of the first language of every resource; a type or name is an
        int id or a str."""
        rva, _ = self.directory(RESOURCE_DIRECTORY)
        if rva == 0:
            return {}
        root = self.offset(rva)
        data = self.data

        def entries(at):
            named, ids = struct.unpack_from("<HH", data, at + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", data, at + 16 + 8 * i)
                if name & 0x80000000:
                    o = root + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", data, o)[0]
                    name = data[o + 2:o + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        found = {}
        for kind, kind_dir in entries(root):
            for name, name_dir in entries(root + (kind_dir & 0x7FFFFFFF)):
                _, leaf = next(entries(root + (name_dir & 0x7FFFFFFF)))
                data_rva, size = struct.unpack_from("<II", data, root + leaf)
                start = self.offset(data_rva)
                found[(kind, name)] = data[start:start + size]
        return found
