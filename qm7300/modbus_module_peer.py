"""A digital I/O module on Modbus/TCP, for the tests: pymodbus (Debian's python3-pymodbus 3.0)
serving two units with known tables, run with /usr/bin/python3.

    modbus_module_peer.py [--port N] [--no-identification]

Listens on 127.0.0.1 (port 0: any free one) and prints "listening on 127.0.0.1:PORT" once it
does. Unit 1:
    discrete inputs 0-31   0x2D, 0xB4, 0x81, 0x7E (8 inputs each, the lowest address first)
    input registers 0-3    0x1234, 0x56AB, 0x00FF, 0x0100
    coils 0-31, holding registers 0-3: 0, written by the tests and read back
Unit 2: discrete inputs 0-15 0x0F, 0xF0; the rest as unit 1. Any other unit gets no answer
(pymodbus drops the request). Addresses past these tables answer exception 2.
Device identification: revision "4.2.17-beta" (objects 0 and 1 too); with --no-identification
function 43 answers exception 1, as a module without it does.
"""

import argparse
import asyncio
import sys

from pymodbus.datastore import ModbusSequentialDataBlock, ModbusServerContext, ModbusSlaveContext
from pymodbus.device import ModbusDeviceIdentification
from pymodbus.mei_message import ReadDeviceInformationResponse
from pymodbus.pdu import ExceptionResponse, ModbusExceptions
from pymodbus.server import StartAsyncTcpServer


def bits(*octets):
    """The bits of the octets, each octet's lowest bit first."""
    return [(octet >> i) & 1 for octet in octets for i in range(8)]


def unit(inputs):
    return ModbusSlaveContext(
        di=ModbusSequentialDataBlock(0, bits(*inputs)),
        co=ModbusSequentialDataBlock(0, [0] * 32),
        ir=ModbusSequentialDataBlock(0, [0x1234, 0x56AB, 0x00FF, 0x0100]),
        hr=ModbusSequentialDataBlock(0, [0] * 4),
        zero_mode=True)


def without_identification(response):
    """Turns an identification answer into exception 1 (illegal function)."""
    if isinstance(response, ReadDeviceInformationResponse):
        refusal = ExceptionResponse(response.function_code, ModbusExceptions.IllegalFunction)
        refusal.transaction_id = response.transaction_id
        refusal.unit_id = response.unit_id
        return refusal, False
    return response, False


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--no-identification", action="store_true")
    args = parser.parse_args()

    context = ModbusServerContext(
        slaves={1: unit([0x2D, 0xB4, 0x81, 0x7E]), 2: unit([0x0F, 0xF0, 0, 0])}, single=False)
    identity = ModbusDeviceIdentification(
        info_name={"VendorName": "Test Rig", "ProductCode": "DIO-16", "MajorMinorRevision": "4.2.17-beta"})
    extra = {"response_manipulator": without_identification} if args.no_identification else {}
    server = await StartAsyncTcpServer(
        context=context, identity=identity, address=("127.0.0.1", args.port), defer_start=True,
        allow_reuse_address=True, **extra)
    task = asyncio.create_task(server.serve_forever())
    await server.serving
    port = server.server.sockets[0].getsockname()[1]
    print(f"listening on 127.0.0.1:{port}", flush=True)
    await task


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
