#!/usr/bin/env python3
"""A TCP relay on loopback that behaves like a link with a round trip.

  latency_relay.py --listen ADDRESS:PORT --target ADDRESS:PORT --rtt MS
                   --log FILE --ready FILE  [--listen ... --target ...]...

Every chunk that arrives on either side is handed on half a round trip
later (scheduled by its arrival, so chunks in flight overlap as on a real
link, and their order is kept); the first bytes a client sends on a new
connection wait one round trip more, for the handshake a real link pays.
Each accepted connection adds a line "connection LISTEN-ADDRESS:PORT" to
--log, so that a caller can count connections per host.
"""
import argparse
import asyncio
import time


async def pipe(reader, writer, delay, first_extra):
    """Copies reader to writer, each chunk `delay` seconds after it arrived
    (the first `first_extra` more)."""
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            if data is None:
                break
            writer.write(data)
            await writer.drain()
        try:
            writer.write_eof()
        except OSError:
            pass

    sender = asyncio.ensure_future(deliver())
    extra = first_extra
    try:
        while True:
            data = await reader.read(65536)
            queue.put_nowait((time.monotonic() + delay + extra, data or None))
            extra = 0
            if not data:
                break
    except OSError:
        queue.put_nowait((time.monotonic(), None))
    try:
        await sender
    except OSError:
        pass


async def relay(listen, target, rtt, log):
    host, port = target.rsplit(":", 1)

    async def handle(client_reader, client_writer):
        with open(log, "a") as f:
            f.write(f"connection {listen}\n")
        try:
            server_reader, server_writer = await asyncio.open_connection(host, int(port))
        except OSError:
            client_writer.close()
            return
        half = rtt / 2
        await asyncio.gather(pipe(client_reader, server_writer, half, rtt),
                             pipe(server_reader, client_writer, half, 0), return_exceptions=True)
        for writer in (client_writer, server_writer):
            writer.close()

    address, port = listen.rsplit(":", 1)
    return await asyncio.start_server(handle, address, int(port), reuse_address=True)


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--listen", action="append", required=True)
    parser.add_argument("--target", action="append", required=True)
    parser.add_argument("--rtt", type=float, required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--ready", required=True)
    args = parser.parse_args()
    servers = [await relay(listen, target, args.rtt / 1000, args.log)
               for listen, target in zip(args.listen, args.target)]
    with open(args.ready, "w") as f:
        f.write("ready\n")
    await asyncio.gather(*(server.serve_forever() for server in servers))


if __name__ == "__main__":
    asyncio.run(main())
