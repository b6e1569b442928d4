#!/usr/bin/env python3
"""Writes the benchmark's drive folders under the folder given as the only argument.

  large/   a hypervisor configuration and a platform JSON configuration of about 100 MiB each
  long1/, long8/, long64/
           small files whose relevant lines (the "bus" line of [/PCI/0], the "device_ID" line of
           [/PCI/1], the "Bus" line of network entry "1") are single lines of 1, 8 and 64 MiB

Every drive also holds a boot menu. All line ends are CR LF. A folder that is already complete
(its stamp names this version) is left as it is.
"""
import os
import sys

VERSION = "3"
MIB = 1 << 20
RULE = "#" * 80


def crlf(lines):
    return "".join(line + "\r\n" for line in lines).encode()


def hypervisor_head():
    return [
        RULE,
        "# Real-time hypervisor configuration",
        "# Windows Embedded Standard 7 (OS 0) and Windows Embedded Compact 8 (OS 1)",
        RULE,
        "",
        "[/]",
        '    "config_version" = uint32: 3',
        "",
        "[/OS/0]",
        '    "name" = "Windows Embedded Standard 7"',
        '    "memory_size" = uint32: 0x60000000',
        "",
        "[/OS/1]",
        '    "name" = "Windows Embedded Compact 8"',
        '    "boot_image" = "/rth/Release/NK.bin"',
        '    "memory_size" = uint32: 0x10000000',
        '#    "debug_com_port" = uint32: 1',
        '#    "debug_baud_rate" = uint32: 115200',
        '#    "debug_level" = uint32: 2',
        "",
        "[/IRQ]",
        '    "IRQ_04" = uint32: 1  # COM1 to WEC8',
        '#    "IRQ_03" = uint32: 1  # COM2 to WEC8',
        "",
        RULE,
        "# PCI devices",
        RULE,
        "[/PCI]",
        '    "default_OS" = uint32: 0',
        "",
    ]


def hypervisor_body_block(n):
    """One repeating stretch of OS and PCI sections; n numbers them."""
    os_number = 2 + n
    pci = 7 + 3 * n
    return [
        RULE,
        "[/OS/%d]" % os_number,
        '    "name" = "Guest %d"' % os_number,
        '    "boot_image" = "/rth/Guest%d/NK.bin"' % os_number,
        '    "memory_size" = uint32: 0x%08X' % (0x1000000 * (n % 64 + 1)),
        '    "cpu_mask" = uint32: 0x%X' % (1 << (n % 4)),
        '#    "debug_com_port" = uint32: %d' % (n % 4 + 1),
        '#    "debug_level" = uint32: 2',
        "",
        "# Controller %d" % pci,
        "[/PCI/%d]" % pci,
        '    "vendor_ID" = uint32: 0x8086',
        '    "device_ID" = uint32: 0x%04X' % (0x1500 + n % 256),
        '    "bus" = uint32: %d' % (n % 8),
        '    "OS" = uint32: 1',
        "",
        "[/PCI/%d]" % (pci + 1),
        '    "vendor_ID" = uint32: 0x1D0F',
        # Lines the step rewrites (everything after [/PCI/2] counts as [/PCI/2]) and near misses.
        '    "device_ID" = uint32: %s  # fieldbus' % ("0x3005" if n % 4 == 0 else "0x3002"),
        '    "device_ID"=uint32:0x3005',
        '    "device_id" = uint32: 0x3005',
        '    "OS" = uint32: %d' % (n % 2),
        "",
        "[/PCI/%d]" % (pci + 2),
        '    "vendor_ID" = uint32: 0x10EC',
        '    "device_ID" = uint32: 0x8168',
        '    "interrupt_mode" = uint32 : 2  # use MSI',
        '    "OS" = uint32: 0',
        "",
    ]


def large_hypervisor(size):
    head = hypervisor_head() + [
        "# CAN controller",
        "[/PCI/0]",
        '    "vendor_ID" = uint32: 0x1B36',
        '    "bus" = uint32: 1',
        '    "OS" = uint32: 1',
        "",
        "[/PCI/5]",
        '    "vendor_ID" = uint32: 0x8086',
        '    "device_ID" = uint32: 0x10D3',
        "",
        "[/PCI/1]",
        '    "device_ID" = uint32: 0x3002  # standard hardware',
        "",
        "[/PCI/2]",
        '    "device_ID" = uint32: 0x3005',
        "",
    ]
    parts = [crlf(head)]
    total = len(parts[0])
    n = 0
    while total < size:
        chunk = crlf(line for k in range(n, n + 64) for line in hypervisor_body_block(k))
        parts.append(chunk)
        total += len(chunk)
        n += 64
    return b"".join(parts)


def json_entry(indent, key, members, bus):
    pad = " " * indent
    lines = [pad + '"%s": {' % key, pad + '    "Name": "ETH%s",' % key]
    lines += [pad + '    "Bus": [%s],' % bus]
    lines += [pad + '    "Option_%07d": %d,' % (m, m * 7 % 1000) for m in range(members)]
    lines += [pad + '    "Function": 0', pad + "},"]
    return lines


def large_json(size):
    # About a quarter of the file in each of: devices before the network, network entry "1",
    # network entry "2" together with further entries, serial ports after the network.
    quarter = size // 4
    per_member = len('            "Option_0000000": 000,\r\n')
    head = ["{", '    "Platform": {', '        "Name": "Standard hardware",',
            '        "Revision": 3', "    },", '    "Devices": {']
    parts = [crlf(head)]
    total = len(parts[0])
    n = 0
    while total < quarter:
        lines = []
        for k in range(n, n + 256):
            lines += ['        "Dev%07d": {' % k, '            "Name": "Device %d",' % k,
                      '            "Bus": [%d, %d],' % (k % 8, k % 5),
                      '            "Irq": %d' % (k % 16), "        },"]
        chunk = crlf(lines)
        parts.append(chunk)
        total += len(chunk)
        n += 256
    network = ['        "Last": 0', "    },", '    "Network": {']
    network += json_entry(8, "1", quarter // per_member, "0, 1")
    network += json_entry(8, "2", quarter // per_member // 2, "3")
    for k in range(3, 3 + quarter // 2 // (per_member * 64)):
        network += json_entry(8, "%d" % k, 60, "%d" % (k % 8))
    network += ['        "Debug": false', "    },", '    "Serial": {']
    chunk = crlf(network)
    parts.append(chunk)
    total += len(chunk)
    n = 0
    while total < size:
        lines = []
        for k in range(n, n + 256):
            lines += ['        "Port%07d": {' % k, '            "Port": "COM%d",' % (k % 9 + 1),
                      '            "Bus": [0]', "        },"]
        chunk = crlf(lines)
        parts.append(chunk)
        total += len(chunk)
        n += 256
    parts.append(crlf(['        "Last": 0', "    }", "}"]))
    return b"".join(parts)


def filler(size, unit):
    """`size` bytes of `unit` repeated, cut to length."""
    return (unit * (size // len(unit) + 1))[:size]


def long_hypervisor(line_size):
    # A 1 KiB unit with one occurrence of the replaced value and a few near misses.
    bus_unit = "uint32: 1 " + "uint32: x " + "uint32:" + " " * 5 + "7 " + "bus lane " * 110
    bus_unit = bus_unit[:1024]
    device_unit = ("uint32: 0x3002 " + "uint32: 0x3005 " + "uint32:0x300 " +
                   "device map " * 90)[:1024]
    bus_prefix = '    "bus" = uint32: 1  # '
    device_prefix = '    "device_ID" = uint32: 0x3002  # '
    lines = hypervisor_head() + [
        "[/PCI/0]",
        '    "vendor_ID" = uint32: 0x1B36',
        bus_prefix + filler(line_size - len(bus_prefix), bus_unit),
        '    "OS" = uint32: 1',
        "",
        "[/PCI/1]",
        device_prefix + filler(line_size - len(device_prefix), device_unit),
        '    "OS" = uint32: 1',
        "",
        "[/PCI/2]",
        '    "device_ID" = uint32: 0x3005',
        "",
        RULE,
        "[/PCI/3]",
        '    "device_ID" = uint32: 0x1533',
    ]
    return crlf(lines)


def long_json(line_size):
    prefix = '            "Bus": ['
    numbers = ", ".join(str(k % 256) for k in range(line_size // 3))
    bus = prefix + numbers[:line_size - len(prefix) - 2].rstrip(", ") + "],"
    lines = ["{", '    "Platform": {', '        "Name": "Standard hardware"', "    },",
             '    "Network": {', '        "1": {', '            "Name": "ETH1",', bus,
             '            "Device": 0', "        },", '        "2": {',
             '            "Bus": [3]', "        },", '        "Debug": false', "    }", "}"]
    return crlf(lines)


MENU = crlf(["default 0", "timeout 5", "", "title RTH with WES7 & WEC8", "    root(hd0, 0)",
             "    kernel/rth/rthx86", "    module/rth/Windows_WEC800.txt",
             "    module/rth/Release/NK.bin", "    module/rth/wyncfg.json"])


def write_drive(folder, hypervisor, platform_json):
    stamp = os.path.join(folder, "generated")
    if os.path.exists(stamp) and open(stamp).read() == VERSION:
        return
    os.makedirs(os.path.join(folder, "rth"), exist_ok=True)
    if os.path.exists(stamp):
        os.remove(stamp)
    for name, make in (("rth/Windows_WEC800.txt", hypervisor), ("rth/WynCfg.json", platform_json),
                       ("menu.lst", lambda: MENU)):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(make())
    with open(stamp, "w") as out:
        out.write(VERSION)
    print("generated", folder)


def main():
    root = sys.argv[1]
    write_drive(os.path.join(root, "large"), lambda: large_hypervisor(100 * MIB),
                lambda: large_json(100 * MIB))
    for mib in (1, 8, 64):
        write_drive(os.path.join(root, "long%d" % mib), lambda: long_hypervisor(mib * MIB),
                    lambda: long_json(mib * MIB))


if __name__ == "__main__":
    main()
