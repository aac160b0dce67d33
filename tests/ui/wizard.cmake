# wizard tests.
