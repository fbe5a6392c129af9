"""The Python libraries the tools and the tests share: the engine host runner (engine_host),
the peer wire and transfer packets (engine_wire, transfer_wire), the stream payloads
(stream_payloads) and the PE image reader (pe_image).

The entry points in tools/ import them as `from kestrav import ...` (a script's own folder is
on its path); pytest finds them through the pythonpath in the repository's pytest.ini."""
