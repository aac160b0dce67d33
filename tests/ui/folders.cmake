# folders tests.
