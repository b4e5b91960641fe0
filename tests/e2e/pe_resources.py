"""Reads the resources of a Windows executable the way the system loads them:
menus, dialogs, string tables, accelerators, icon groups and the version
information, by type, id and language. Standard library only."""

from __future__ import annotations

import struct
from dataclasses import dataclass, field
from pathlib import Path

RT_ICON = 3
RT_MENU = 4
RT_DIALOG = 5
RT_STRING = 6
RT_ACCELERATOR = 9
RT_GROUP_ICON = 14
RT_VERSION = 16

VS_VERSION_INFO = 1
VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD

LANG_JAPANESE_DEFAULT = 0x0411  # MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)

MF_POPUP = 0x10
MF_END = 0x80
FVIRTKEY = 0x01
FSHIFT = 0x04
FCONTROL = 0x08
FALT = 0x10


class ResourceError(AssertionError):
    pass


class PeResources:
    """Every resource of one executable: {(type, id): {language: bytes}}."""

    def __init__(self, path: Path = None, data: bytes = None):
        """From an executable's file, or from its bytes (data)."""
        self.data = data if data is not None else Path(path).read_bytes()
        self.entries: dict = {}
        self._read()

    def _u16(self, offset: int) -> int:
        return struct.unpack_from("<H", self.data, offset)[0]

    def _u32(self, offset: int) -> int:
        return struct.unpack_from("<I", self.data, offset)[0]

    def _read(self) -> None:
        if self.data[:2] != b"MZ":
            raise ResourceError("not an executable")
        pe = self._u32(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ResourceError("no PE header")
        sections = self._u16(pe + 6)
        optional_size = self._u16(pe + 20)
        optional = pe + 24
        magic = self._u16(optional)
        directories = optional + (112 if magic == 0x20B else 96)
        resource_rva = self._u32(directories + 2 * 8)
        if resource_rva == 0:
            raise ResourceError("the executable has no resources")
        self.sections = []
        table = optional + optional_size
        for index in range(sections):
            header = table + 40 * index
            virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
                "<IIII", self.data, header + 8)
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))
        self.base = self._offset(resource_rva)
        for type_id, type_offset in self._directory(self.base):
            for name_id, name_offset in self._directory(self.base + type_offset):
                for language, data_offset in self._directory(self.base + name_offset):
                    entry = self.base + data_offset
                    rva, size = self._u32(entry), self._u32(entry + 4)
                    start = self._offset(rva)
                    self.entries.setdefault((type_id, name_id), {})[language] = \
                        self.data[start:start + size]

    def _offset(self, rva: int) -> int:
        for virtual_address, size, raw_pointer in self.sections:
            if virtual_address <= rva < virtual_address + size:
                return rva - virtual_address + raw_pointer
        raise ResourceError(f"address {rva:#x} lies in no section")

    def _directory(self, offset: int):
        named, numbered = self._u16(offset + 12), self._u16(offset + 14)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, offset + 16 + 8 * index)
            if name & 0x80000000:
                length = self._u16(self.base + (name & 0x7FFFFFFF))
                start = self.base + (name & 0x7FFFFFFF) + 2
                key = self.data[start:start + 2 * length].decode("utf-16-le")
            else:
                key = name
            yield key, target & 0x7FFFFFFF

    def languages(self, kind: int, resource_id) -> dict:
        return self.entries.get((kind, resource_id), {})

    def get(self, kind: int, resource_id, language: int = LANG_JAPANESE_DEFAULT) -> bytes:
        found = self.languages(kind, resource_id)
        if language not in found:
            raise ResourceError(f"no resource of type {kind} id {resource_id} in language "
                                f"{language:#06x} (languages: {[hex(l) for l in found]})")
        return found[language]

    # -- decoded resources

    def string(self, string_id: int, language: int = LANG_JAPANESE_DEFAULT) -> str:
        block = self.get(RT_STRING, string_id // 16 + 1, language)
        offset = 0
        for index in range(16):
            length = struct.unpack_from("<H", block, offset)[0]
            text = block[offset + 2:offset + 2 + 2 * length].decode("utf-16-le")
            if index == string_id % 16:
                return text
            offset += 2 + 2 * length
        raise ResourceError(f"string {string_id} missing")

    def menu(self, menu_id: int, language: int = LANG_JAPANESE_DEFAULT) -> list:
        """[(caption, [(caption, id), ...]), ...] for a menu bar of popups."""
        data = self.get(RT_MENU, menu_id, language)
        version, header_size = struct.unpack_from("<HH", data, 0)
        if version != 0:
            raise ResourceError("only classic MENU templates are read")
        items, _ = _menu_items(data, 4 + header_size)
        return items

    def accelerators(self, table_id: int, language: int = LANG_JAPANESE_DEFAULT) -> list:
        """[(flags, key, command), ...]"""
        data = self.get(RT_ACCELERATOR, table_id, language)
        entries = []
        for offset in range(0, len(data), 8):
            flags, key, command = struct.unpack_from("<HHH", data, offset)
            entries.append((flags & 0x7F, key, command))
            if flags & 0x80:
                break
        return entries

    def dialog(self, dialog_id: int, language: int = LANG_JAPANESE_DEFAULT) -> "Dialog":
        return Dialog.parse(self.get(RT_DIALOG, dialog_id, language))

    def version_info(self, language: int = LANG_JAPANESE_DEFAULT) -> "VersionInfo":
        return VersionInfo.parse(self.get(RT_VERSION, VS_VERSION_INFO, language))

    def icon_group(self, group_id, language: int = LANG_JAPANESE_DEFAULT) -> list:
        """[(width, height, bits per pixel, image bytes), ...] in group order."""
        data = self.get(RT_GROUP_ICON, group_id, language)
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        if (reserved, kind) != (0, 1):
            raise ResourceError("not an icon group")
        images = []
        for index in range(count):
            width, height, _, _, _, bits, size, icon_id = struct.unpack_from(
                "<BBBBHHIH", data, 6 + 14 * index)
            image = self.get(RT_ICON, icon_id, language)
            if len(image) != size:
                raise ResourceError(f"icon {icon_id} holds {len(image)} bytes, not {size}")
            images.append((width or 256, height or 256, bits, image))
        return images


def _text(data: bytes, offset: int) -> tuple:
    """A zero-ended UTF-16 string: (text, offset after it)."""
    end = offset
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def _menu_items(data: bytes, offset: int) -> tuple:
    items = []
    while True:
        flags = struct.unpack_from("<H", data, offset)[0]
        offset += 2
        if flags & MF_POPUP:
            caption, offset = _text(data, offset)
            children, offset = _menu_items(data, offset)
            items.append((caption, children))
        else:
            command = struct.unpack_from("<H", data, offset)[0]
            caption, offset = _text(data, offset + 2)
            items.append((caption, command))
        if flags & MF_END:
            return items, offset


def _name_or_ordinal(data: bytes, offset: int) -> tuple:
    first = struct.unpack_from("<H", data, offset)[0]
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
    if first == 0:
        return "", offset + 2
    return _text(data, offset)


def _align(offset: int) -> int:
    return (offset + 3) & ~3


@dataclass
class DialogControl:
    id: int
    class_name: object  # ordinal (0x80 button, 0x82 static) or a name
    text: object  # caption, or an ordinal (an icon's resource id)
    style: int
    x: int
    y: int
    width: int
    height: int


@dataclass
class Dialog:
    style: int
    x: int
    y: int
    width: int
    height: int
    caption: str
    font_size: int
    font_name: str
    controls: list = field(default_factory=list)

    @staticmethod
    def parse(data: bytes) -> "Dialog":
        version, signature = struct.unpack_from("<HH", data, 0)
        if (version, signature) != (1, 0xFFFF):
            raise ResourceError("only DIALOGEX templates are read")
        _, _, style, count, x, y, width, height = struct.unpack_from("<IIIHhhhh", data, 4)
        offset = 26
        _, offset = _name_or_ordinal(data, offset)  # menu
        _, offset = _name_or_ordinal(data, offset)  # class
        caption, offset = _text(data, offset)
        font_size = 0
        font_name = ""
        if style & 0x40:  # DS_SETFONT
            font_size = struct.unpack_from("<H", data, offset)[0]
            font_name, offset = _text(data, offset + 6)
        dialog = Dialog(style, x, y, width, height, caption, font_size, font_name)
        for _ in range(count):
            offset = _align(offset)
            _, _, control_style, cx, cy, cw, ch, control_id = struct.unpack_from(
                "<IIIhhhhi", data, offset)
            offset += 24
            class_name, offset = _name_or_ordinal(data, offset)
            text, offset = _name_or_ordinal(data, offset)
            extra = struct.unpack_from("<H", data, offset)[0]
            offset += 2 + extra
            dialog.controls.append(DialogControl(control_id, class_name, text, control_style,
                                                 cx, cy, cw, ch))
        return dialog


@dataclass
class VersionInfo:
    """A VERSIONINFO resource: the fixed numbers and the string tables."""
    file_version: tuple  # (major, minor, patch, build)
    product_version: tuple
    file_type: int  # 1 for an application
    strings: dict  # {block name such as "041104B0": {name: value}}
    translations: list  # [(language, code page), ...]

    @staticmethod
    def parse(data: bytes) -> "VersionInfo":
        key, value, children = _version_node(data, 0)[:3]
        if key != "VS_VERSION_INFO" or len(value) < 52:
            raise ResourceError("not a VS_VERSION_INFO block")
        fields = struct.unpack_from("<13I", value, 0)
        if fields[0] != VS_FIXEDFILEINFO_SIGNATURE:
            raise ResourceError("the fixed file information has no signature")

        def numbers(most: int, least: int) -> tuple:
            return most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF

        info = VersionInfo(numbers(fields[2], fields[3]), numbers(fields[4], fields[5]),
                           fields[9], {}, [])
        for child_key, _, grandchildren in children:
            if child_key == "StringFileInfo":
                for table, _, entries in grandchildren:
                    info.strings[table] = {name: text.decode("utf-16-le").rstrip("\0")
                                           for name, text, _ in entries}
            elif child_key == "VarFileInfo":
                for _, pairs, _ in grandchildren:
                    info.translations += [struct.unpack_from("<HH", pairs, offset)
                                          for offset in range(0, len(pairs) - 3, 4)]
        return info


def _version_node(data: bytes, offset: int) -> tuple:
    """One node of a version block: (key, value bytes, [child nodes], offset after it)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    if length < 6 or offset + length > len(data):
        raise ResourceError(f"a version node at {offset} runs past its block")
    end = offset + length
    key, position = _text(data, offset + 6)
    position = _align(position)
    size = value_length * 2 if kind == 1 else value_length  # text values count characters
    value = data[position:min(position + size, end)]
    position = _align(position + size)
    children = []
    while position < end:
        child_key, child_value, grandchildren, position = _version_node(data, position)
        children.append((child_key, child_value, grandchildren))
        position = _align(position)
    return key, value, children, end


def read_icon_image(image: bytes) -> tuple:
    """A 32-bpp icon image: (size, [(r, g, b, a), ...] top row first)."""
    header_size, width, double_height, _, bits = struct.unpack_from("<IiiHH", image, 0)
    if bits != 32 or double_height != 2 * width:
        raise ResourceError("only square 32-bpp icon images are read")
    pixels = []
    row_bytes = width * 4
    for y in range(width):
        row = header_size + (width - 1 - y) * row_bytes  # stored bottom row first
        for x in range(width):
            b, g, r, a = image[row + 4 * x:row + 4 * x + 4]
            pixels.append((r, g, b, a))
    return width, pixels
